// The run's state as the installation engine takes it and gives it back, for both front ends.
#pragma once
#include "engine/Engine.h"
#include "lib/LIB_SetupState.h"

// The installation the answers ask for, run with this process's token.
TInstallPlan InstallPlanOf(const TSetupState& state);
// Takes the folders an installation settled on: they are the ones to start the client from,
// and the ones a report of its failure names.
void SettleFolders(TSetupState& state, const TInstallResult& folders);
