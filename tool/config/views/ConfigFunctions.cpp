#include "ConfigFunctions.h"

#include <memory>

#include "CClockModeDlg.h"
#include "CSetConfigDlg.h"
#include "CSoftwareAddressDlg.h"
#include "CTcpIpConfigDlg.h"
#include "config/CConfigDocument.h"
#include "connection/views/RunLinkOperation.h"
#include "shell/CConfigExchange.h"
#include "shell/CJxConfigApp.h"
#include "shell/MessageBox.h"
#include "shell/StatusText.h"
#include "shell/views/CMainWindow.h"

namespace {
void RunWithWindow(CMainWindow& window, CConfigDocument& document, const JxFunctionWindow& functionWindow)
{
    window.RunConfigurationExchange([&] {
        CConfigExchange exchange(window.Owner(), document, window.App());
        exchange.SetDisplay(window.DisplayAddress(), window.ConnectionKind());
        JxRunConfigExchange(
            exchange, window.App(),
            [&window](const std::function<bool()>& work) { return RunLinkOperation(&window, window.Owner(), work); },
            functionWindow);
    });
}

template <class Dlg>
void Run(CMainWindow& window, CConfigDocument& document)
{
    RunWithWindow(window, document, [&window](CConfigDocument& doc, CConnectionSettingUpdate& update) {
        return JxRunFunctionWindow<Dlg>(&window, doc, update);
    });
}
}  // namespace

void RunSetConfigurationFunction(CMainWindow& window, CConfigDocument& document)
{
    CJxConfigApp& app = window.App();
    // The window writes the module identifier from the catalogue's list:
    // without the catalogue that would be an empty one. The button is off
    // then; the menu entry says why instead of connecting.
    if (!app.catalogueLoaded) {
        JxShowMessage(JxMessageKind::Critical, FormatName(kJxCatalogueFailed, app.documents.catalogue));
        return;
    }
    RunWithWindow(window, document, [&window, &app](CConfigDocument& doc, CConnectionSettingUpdate& update) {
        return JxRunSetConfigWindow(&window, doc, app.catalogue, app.factory, update);
    });
}

void RunClockModeFunction(CMainWindow& window, CConfigDocument& document) { Run<CClockModeDlg>(window, document); }

void RunSoftwareAddressFunction(CMainWindow& window, CConfigDocument& document)
{
    Run<CSoftwareAddressDlg>(window, document);
}

void RunTcpIpConfigFunction(CMainWindow& window, CConfigDocument& document) { Run<CTcpIpConfigDlg>(window, document); }

void WireConfigFunctions(CMainWindow& window)
{
    auto document = std::make_shared<CConfigDocument>();
    window.SetFunction(JxMainFunction::SetConfiguration,
                       [document](CMainWindow& w) { RunSetConfigurationFunction(w, *document); });
    window.SetFunction(JxMainFunction::SetClockMode,
                       [document](CMainWindow& w) { RunClockModeFunction(w, *document); });
    window.SetFunction(JxMainFunction::SetSoftwareAddress,
                       [document](CMainWindow& w) { RunSoftwareAddressFunction(w, *document); });
    window.SetFunction(JxMainFunction::TcpIpConfiguration,
                       [document](CMainWindow& w) { RunTcpIpConfigFunction(w, *document); });
}
