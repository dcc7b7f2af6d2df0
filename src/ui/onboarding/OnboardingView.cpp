#include "ui/onboarding/OnboardingView.h"

#include "core/theme/Rgba.h"
#include "ui/foundation/Appearance.h"
#include "ui/onboarding/BlobLayer.h"
#include "ui/onboarding/HowItWorksStep.h"
#include "ui/onboarding/ModePickerStep.h"
#include "ui/onboarding/ProgressDots.h"
#include "ui/onboarding/ReadyStep.h"
#include "ui/onboarding/WelcomeStep.h"

#include <QAbstractAnimation>
#include <QGraphicsOpacityEffect>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include <cmath>

namespace tavrilux::ui {

namespace {
constexpr Rgba kBackground{0.042, 0.047, 0.063, 1};
constexpr Spring kPageSpring{0.55, 0.82};
constexpr int kDotsBottom = 24;

void setPageOpacity(QWidget* page, qreal opacity) {
    if (opacity >= 1) {
        page->setGraphicsEffect(nullptr);
        return;
    }
    auto* effect = qobject_cast<QGraphicsOpacityEffect*>(page->graphicsEffect());
    if (effect == nullptr) {
        effect = new QGraphicsOpacityEffect(page);
        page->setGraphicsEffect(effect);
    }
    effect->setOpacity(std::clamp<qreal>(opacity, 0, 1));
}
} // namespace

OnboardingView::OnboardingView(const UiContext& context, std::function<void(FocusMode)> onComplete,
                               QWidget* parent, DemoTimeline::Clock clock)
    : QWidget(parent), settings_(context.settings), onComplete_(std::move(onComplete)),
      demoClock_(std::move(clock)), clock_(this), blobs_(new BlobLayer(clock_, this)),
      slide_(1.0, this), dots_(new ProgressDots(0, kPageCount, this)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    page_ = makePage(0);
    dots_->raise();
    connect(&slide_, &SpringAnimator::valueChanged, this, &OnboardingView::slide);
    connect(&slide_, &SpringAnimator::settled, this, [this] {
        if (slide_.value() >= 1 && leaving_) {
            // Later: the slide may have ended inside the leaving page's own button press.
            leaving_->hide();
            leaving_->deleteLater();
            leaving_ = nullptr;
        }
    });
}

QWidget* OnboardingView::makePage(int step) {
    const auto next = [this] { advance(); };
    QWidget* page = nullptr;
    switch (step) {
    case 0:
        page = new WelcomeStep(clock_, next, this);
        break;
    case 1:
        page = new HowItWorksStep(next, demoClock_, this);
        break;
    case 2:
        page = new ModePickerStep(
            settings_, selectedMode_, [this](FocusMode mode) { selectedMode_ = mode; }, next, this);
        break;
    default:
        page = new ReadyStep(
            selectedMode_, [this] { onComplete_(selectedMode_); }, this);
        break;
    }
    page->setGeometry(rect());
    return page;
}

void OnboardingView::advance() {
    if (step_ >= kPageCount - 1) {
        return;
    }
    ++step_;
    dots_->setCurrent(step_);
    if (leaving_) {
        // A slide still under way ends at once.
        leaving_->hide();
        leaving_->deleteLater();
    }
    leaving_ = page_;
    page_ = makePage(step_);
    dots_->raise();
    slide_.jumpTo(0);
    slide(0);
    page_->show();
    slide_.animateTo(1, kPageSpring);
}

void OnboardingView::slide(qreal progress) {
    if (page_) {
        page_->move(static_cast<int>(std::lround(width() * (1 - progress))), 0);
        setPageOpacity(page_, progress);
    }
    if (leaving_) {
        leaving_->move(static_cast<int>(std::lround(-width() * progress)), 0);
        setPageOpacity(leaving_, 1 - progress);
    }
}

void OnboardingView::finishMotion() {
    for (QAbstractAnimation* animation : findChildren<QAbstractAnimation*>()) {
        if (animation->state() == QAbstractAnimation::Running && animation->totalDuration() > 0) {
            animation->setCurrentTime(animation->totalDuration());
        }
    }
}

void OnboardingView::resizeEvent(QResizeEvent*) {
    blobs_->setGeometry(rect());
    slide(slide_.value());
    for (QWidget* page : {page_.data(), leaving_.data()}) {
        if (page) {
            page->resize(size());
        }
    }
    const QSize dots = dots_->size();
    dots_->move((width() - dots.width()) / 2, height() - kDotsBottom - dots.height());
}

void OnboardingView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.fillRect(event->rect(), toQColor(kBackground));
}

void OnboardingView::showEvent(QShowEvent*) {
    clock_.setRunning(true);
}

void OnboardingView::hideEvent(QHideEvent*) {
    clock_.setRunning(false);
    finishMotion();
}

void OnboardingView::mousePressEvent(QMouseEvent* event) {
    // The window has no title bar: it moves by its background.
    if (event->button() == Qt::LeftButton && window()->windowHandle() != nullptr) {
        window()->windowHandle()->startSystemMove();
    }
}

} // namespace tavrilux::ui
