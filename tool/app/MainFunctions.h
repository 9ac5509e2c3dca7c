// Which window each main-window function opens. A function that is not
// plugged in here is shown disabled.
#pragma once

class CMainWindow;

void WireMainFunctions(CMainWindow& window);
