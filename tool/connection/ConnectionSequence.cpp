#include "ConnectionSequence.h"

#include "ConfigureLink.h"

bool JxConnect(CLinkOwner& owner, CJxConfigApp& app, const CConnectionChoice& choice,
               const JxRunOperation& runOperation)
{
    // An Abort of an earlier operation does not stop this one.
    owner.ClearCancel();
    return runOperation([&owner, &app, &choice] {
        return owner.ConnectToDisplay(
            [&owner, &app, &choice](CKorNetwork& link) { return ConfigureLink(app, link, choice, &owner); });
    });
}

bool JxDisconnect(CLinkOwner& owner, const JxRunOperation& runOperation)
{
    return runOperation([&owner] {
        owner.DisableAbort();
        owner.SetOperationStatus(kJxDisconnecting);
        return owner.DisconnectFromDisplay();
    });
}

bool JxRunConnected(CLinkOwner& owner, CJxConfigApp& app, const CConnectionChoice& choice,
                    const JxRunOperation& runOperation, const std::function<void()>& work)
{
    if (!JxConnect(owner, app, choice, runOperation)) return false;
    work();
    JxDisconnect(owner, runOperation);
    return true;
}
