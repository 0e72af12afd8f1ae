// The menu bar's commands.
#include "app/appstate.h"
#include "ui/main/form1.h"

void Form1::mnuTrenn_Click() {}

void Form1::mnuSammel_Click() {}
