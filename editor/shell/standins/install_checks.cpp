#include "editor/shell/standins/install_checks.h"

void RunInstallationChecks(TPMap &) {}
