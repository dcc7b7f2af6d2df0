#include "platform/qt/QtUpdateCheckPresenter.h"

#include "core/services/UpdateCheckMessage.h"

#include <QDesktopServices>
#include <QPushButton>
#include <QUrl>

namespace tavrilux::qt {

QtUpdateCheckPresenter::~QtUpdateCheckPresenter() {
    delete box_.data();
}

void QtUpdateCheckPresenter::present(const UpdateCheckOutcome& outcome) {
    delete box_.data();
    const auto message = UpdateCheckMessage::forOutcome(outcome);
    auto* box = new QMessageBox(
        outcome.kind == UpdateCheckOutcome::Kind::failed ? QMessageBox::Warning
                                                         : QMessageBox::Information,
        QString::fromStdString(message.title), QString::fromStdString(message.text));
    box->setAttribute(Qt::WA_DeleteOnClose);
    // Versions and error texts come from the network: never let them be read as markup.
    box->setTextFormat(Qt::PlainText);
    auto* dismiss = box->addButton(QMessageBox::Ok);
    dismiss->setText(QString::fromStdString(message.dismissButton));
    // With a second button Qt finds no escape button by itself, and then neither Esc nor the
    // title bar's close button would close the window.
    box->setEscapeButton(dismiss);
    if (!message.downloadUrl.empty()) {
        auto* download =
            box->addButton(QString::fromStdString(message.downloadButton), QMessageBox::AcceptRole);
        const QUrl url(QString::fromStdString(message.downloadUrl));
        QObject::connect(download, &QPushButton::clicked, box,
                         [url] { QDesktopServices::openUrl(url); });
    }
    box_ = box;
    box->show();
    box->raise();
    box->activateWindow();
}

} // namespace tavrilux::qt
