// The wizard as the program runs it: its panels, and the route between them.
#pragma once
#include <memory>

#include "lib/LIB_CommandLine.h"
#include "wizard/Appl_Route.h"
#include "wizard/Form_Main.h"

// Where every panel's buttons lead.
extern const TWizardFlow KWizardFlow;

// Every panel, in its fixed order, under its identifier.
TPanels CreatePanels();

// The main window with every panel, on the first panel, with the command line's state.
std::unique_ptr<TFormMain> CreateWizard(const TCommandLine& args);
