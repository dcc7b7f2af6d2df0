#pragma once

#include "UiHarness.h"

#include "core/services/LoginItem.h"
#include "fakes/FakeApplicationDirectory.h"
#include "fakes/FakeFileSystem.h"
#include "fakes/FakeMainAppLoginService.h"
#include "fakes/FakeSystemOpener.h"
#include "ui/settings/BackgroundLoginItem.h"
#include "ui/settings/SettingsServices.h"

#include <QtCore/qtestsupport_core.h>

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

// Lets answers from the login item's thread arrive until `done` holds (at most 5 s).
template <typename Predicate> bool waitFor(Predicate done) {
    return QTest::qWaitFor(done, 5000);
}

} // namespace tavrilux::ui::testing
