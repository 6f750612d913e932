// Whether the installer runs with an administrator's full token. Every decision that protects
// against a standard user hangs on this one answer; the decisions themselves take it as a value,
// so that both answers can be tried where Wine gives every user an administrator's token.
#pragma once
#include <windows.h>

// The answer for `token` (opened with TOKEN_QUERY). A token that cannot be read counts as
// elevated: the safe side of every decision that hangs on it.
bool TokenIsElevated(HANDLE token);
// The answer for this process.
bool RunsElevated();
