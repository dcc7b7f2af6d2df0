#include "core/localization/LocalizationManager.h"
#include "core/services/UpdateCheckMessage.h"
#include "platform/linux/DirectoryResourceBundle.h"
#include "platform/qt/QtMainThreadDispatcher.h"

// Qt's inline widget accessors trip GCC's null-dereference analysis.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnull-dereference"
#include "platform/qt/QtUpdateCheckPresenter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#pragma GCC diagnostic pop
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace tavrilux {
namespace {

QApplication& app() {
    static int argc = 1;
    static char name[] = "tavrilux_services_qt_tests";
    static char* argv[] = {name, nullptr};
    // Never destroyed: input devices made for key events do not survive the application's
    // destruction among the static objects at exit.
    static auto* application = new QApplication(argc, argv);
    return *application;
}

// Texts come from the shipped string table of `language`.
void speak(const std::string& language) {
    LocalizationManager::installShared(std::make_unique<LocalizationManager>(
        nullptr,
        std::make_shared<linux_platform::DirectoryResourceBundle>(
            std::filesystem::path(TAVRILUX_SOURCE_DIR) / "resources/Tavrilux_Tavrilux.bundle"),
        [language] { return std::vector<std::string>{language}; }));
}

TEST(QtMainThreadDispatcherTest, TasksFromWorkersRunOnTheMainThreadInOrder) {
    app();
    qt::QtMainThreadDispatcher dispatcher;
    const auto mainThread = std::this_thread::get_id();
    std::vector<int> order;
    std::atomic<bool> allOnMain{true};
    std::thread worker([&] {
        for (int i = 0; i < 3; ++i) {
            dispatcher.dispatch([&, i] {
                allOnMain = allOnMain && std::this_thread::get_id() == mainThread;
                order.push_back(i);
            });
        }
    });
    worker.join();
    EXPECT_TRUE(order.empty()) << "nothing runs outside the event loop";
    EXPECT_TRUE(QTest::qWaitFor([&] { return order.size() == 3; }, 5000));
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(allOnMain);
}

TEST(QtUpdateCheckPresenterTest, ShowsOneWindowWithTheOutcome) {
    app();
    speak("en");
    qt::QtUpdateCheckPresenter presenter;
    presenter.present({UpdateCheckOutcome::Kind::updateFound, "1.10", "https://d.example/x", {}});
    QPointer<QMessageBox> first = presenter.window();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->text(), "Tavrilux 1.10 is available.");
    EXPECT_EQ(first->buttons().size(), 2);

    presenter.present({UpdateCheckOutcome::Kind::failed, {}, {}, "the server did not answer"});
    EXPECT_TRUE(first.isNull()) << "the newer outcome replaces the open window";
    ASSERT_NE(presenter.window(), nullptr);
    EXPECT_EQ(presenter.window()->icon(), QMessageBox::Warning);
    EXPECT_EQ(presenter.window()->text(),
              "Tavrilux could not check for updates: the server did not answer.");
    presenter.window()->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return presenter.window() == nullptr; }, 5000));
}

TEST(QtUpdateCheckPresenterTest, WindowsSpeakTheUsersLanguageAndCloseWithEscapeOrTheTitleBar) {
    app();
    speak("de");
    qt::QtUpdateCheckPresenter presenter;
    presenter.present({UpdateCheckOutcome::Kind::updateFound, "2.0", "https://d.example/x", {}});
    QPointer<QMessageBox> found = presenter.window();
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->windowTitle().toStdString(), "Eine neue Version von Tavrilux ist verfügbar");
    EXPECT_EQ(found->text().toStdString(), "Tavrilux 2.0 ist verfügbar.");
    QStringList buttons;
    for (auto* button : found->buttons()) {
        buttons << button->text();
    }
    EXPECT_TRUE(buttons.contains("Herunterladen")) << buttons.join(',').toStdString();
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(found, &escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return found.isNull(); }, 5000)) << "Esc closes it";

    presenter.present({UpdateCheckOutcome::Kind::updateFound, "2.0", "https://d.example/x", {}});
    EXPECT_TRUE(presenter.window()->close()) << "so does the title bar's button";
    presenter.present({UpdateCheckOutcome::Kind::failed, {}, {}, "timeout"});
    EXPECT_EQ(presenter.window()->windowTitle().toStdString(), "Fehler bei der Update-Suche");
    EXPECT_EQ(presenter.window()->text().toStdString(),
              "Tavrilux konnte nicht nach Updates suchen: timeout.");
    presenter.window()->close();
    speak("en");
}

TEST(QtUpdateCheckPresenterTest, FeedTextIsShownAsWrittenNeverAsMarkup) {
    app();
    speak("en");
    qt::QtUpdateCheckPresenter presenter;
    presenter.present(
        {UpdateCheckOutcome::Kind::updateFound, "<a href=\"file:///etc/passwd\">2.0</a>", {}, {}});
    ASSERT_NE(presenter.window(), nullptr);
    EXPECT_EQ(presenter.window()->textFormat(), Qt::PlainText);
    EXPECT_EQ(presenter.window()->text(),
              "Tavrilux <a href=\"file:///etc/passwd\">2.0</a> is available.");
    presenter.window()->close();
}

TEST(UpdateCheckMessageTest, OffersOnlyHttpsDownloads) {
    speak("en");
    auto found = UpdateCheckMessage::forOutcome(
        {UpdateCheckOutcome::Kind::updateFound, "2", "http://plain.example/x", {}});
    EXPECT_TRUE(found.downloadUrl.empty());
    auto upToDate =
        UpdateCheckMessage::forOutcome({UpdateCheckOutcome::Kind::upToDate, "1.4", {}, {}});
    EXPECT_EQ(upToDate.text, "Tavrilux 1.4 is currently the newest version available.");
}

} // namespace
} // namespace tavrilux
