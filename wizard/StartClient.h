// The completion panels' Start: the installed client, started for the user.
#pragma once
#include <string>

class TFormMain;

// What the user reads when the client could not be started.
inline constexpr char KClientNotStarted[] =
    "Korvane P2P could not be started. Please start it from the Start menu: Korvane P2P > Korvane P2P.";

// Starts the client `program` as StartAsUser does, never with the installer's rights. The
// desktop shell may be busy or gone for a moment: it is asked again for a short while. When it
// still cannot start it, the user is told how to start it from the Start menu. Every try goes
// on the log.
void StartInstalledClient(TFormMain& frame, const std::string& program);
