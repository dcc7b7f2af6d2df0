#pragma once

#include "ui/foundation/UiContext.h"

#include <QWidget>

namespace tavrilux::ui {

class BackgroundLoginItem;
class CheckRow;
class LinkButton;

// The General tab: the start-at-login check box, the link to approve the login item while the
// login service asks for that, and the shortcut that toggles dimming. The box shows what the
// login service reports, read when the tab is built and after every change. While a call is
// under way it ignores clicks (and dims when the answer is late), so a slow service never
// freezes the window. A failed change clears the box and is written to standard output only.
class GeneralTab final : public QWidget {
    Q_OBJECT
public:
    GeneralTab(const UiContext& context, BackgroundLoginItem& loginItem, QWidget* parent = nullptr);

    bool launchAtLogin() const { return launchAtLogin_; }
    bool needsLoginItemApproval() const { return needsApproval_; }
    // A call to the login service has not answered yet.
    bool isWaiting() const { return waiting_; }
    CheckRow* checkRow() const { return check_; }
    LinkButton* approvalLink() const { return approval_; }

    // How long a call may take before the box dims.
    static constexpr int kDimAfter = 250; // ms

private:
    void present(bool launchAtLogin, bool needsApproval);
    void requestStartAtLogin(bool enabled);
    void beginWaiting();
    void endWaiting();

    BackgroundLoginItem& loginItem_;
    CheckRow* check_;
    LinkButton* approval_;
    bool launchAtLogin_ = false;
    bool needsApproval_ = false;
    bool waiting_ = false;
    int calls_ = 0;
};

} // namespace tavrilux::ui
