#pragma once

#include "core/services/LoginItemStatus.h"
#include "ui/foundation/UiContext.h"

#include <QWidget>

#include <optional>

namespace tavrilux::ui {

class BackgroundLoginItem;
class CheckRow;
class LinkButton;

// The General tab: the start-at-login check box, the link to approve the login item while the
// login service asks for that, and the shortcut that toggles dimming. The box shows what the
// login service reports, read whenever the tab shows and after every change, so an entry changed
// outside shows as soon as the window does. Until an answer comes it shows the last status
// known; a click meanwhile shows at once and is carried out when the answer comes (unless the
// answer already says so), so a slow service neither freezes the window nor loses a click. A
// failed change clears the box and is written to standard output only.
class GeneralTab final : public QWidget {
    Q_OBJECT
public:
    GeneralTab(const UiContext& context, BackgroundLoginItem& loginItem, QWidget* parent = nullptr);

    bool launchAtLogin() const { return launchAtLogin_; }
    bool needsLoginItemApproval() const { return needsApproval_; }
    // A call to the login service has not answered yet.
    bool isWaiting() const { return calling_; }
    CheckRow* checkRow() const { return check_; }
    LinkButton* approvalLink() const { return approval_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void present(LoginItemStatus status);
    void answered(LoginItemStatus status);
    void requestStartAtLogin(bool enabled);
    void change(bool enabled);

    BackgroundLoginItem& loginItem_;
    CheckRow* check_;
    LinkButton* approval_;
    bool launchAtLogin_ = false;
    bool needsApproval_ = false;
    bool calling_ = false;
    // A click made while a call was out, carried out when it answers.
    std::optional<bool> wish_;
};

} // namespace tavrilux::ui
