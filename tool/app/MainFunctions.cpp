#include "MainFunctions.h"

#include "shell/views/CMainWindow.h"

void WireMainFunctions(CMainWindow& window)
{
    // Each function adds itself here, for example:
    //   window.SetFunction(JxMainFunction::SetClockMode, [](CMainWindow& w) {
    //       w.RunConfigurationExchange([&w] { ... fetch, window, send ... });
    //   });
    (void)window;
}
