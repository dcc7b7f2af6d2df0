#pragma once

#include "UiHarness.h"

#include "core/services/LoginItem.h"
#include "fakes/FakeApplicationDirectory.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeMainAppLoginService.h"
#include "fakes/FakeSystemOpener.h"
#include "ui/settings/BackgroundLoginItem.h"
#include "ui/settings/SettingsServices.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <memory>

namespace tavrilux::ui::testing {

// The settings window's model and services over fakes: an installed build whose login service
// the test controls.
struct SettingsModel : UiModel {
    fakes::FakeMainAppLoginService loginService;
    fakes::FakeFileSystem files;
    fakes::FakeSystemOpener opener;
    fakes::FakeApplicationDirectory applications;
    BackgroundLoginItem loginItem{std::make_shared<LoginItem>(
        LoginItem::Environment{MainBundleInfo{BuildFlavor::packaged, "/usr/bin/tavrilux", "1.2.0"},
                               loginService, files, "/home/ann/.config/autostart", opener})};
    SettingsServices services{std::string("1.2.0"), applications, loginItem};
};

// Lets answers from the login item's thread arrive until `done` holds.
template <typename Predicate> bool waitFor(Predicate done) {
    QElapsedTimer waited;
    QTimer poll; // wakes the blocking wait now and then
    poll.start(10);
    for (waited.start(); !done(); QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents)) {
        if (waited.elapsed() > 5000) {
            return false;
        }
    }
    return true;
}

} // namespace tavrilux::ui::testing
