#include "editor/LoadingWnd.h"

#include "editor/progress_math.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

namespace kinoleaf {
namespace {

QFrame* makeBar(QWidget* parent, const char* name, const QColor& color) {
    auto* bar = new QFrame(parent);
    bar->setObjectName(QLatin1String(name));
    bar->setAutoFillBackground(true);
    QPalette p = bar->palette();
    p.setColor(QPalette::Window, color);
    bar->setPalette(p);
    return bar;
}

constexpr int kRepaintMs = 16;  // about 60 times a second
constexpr int kBarLeft = 24, kBarTop = 112, kBarWidth = 352, kBarHeight = 18;

} // namespace

void LoadingWnd::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    // It only reports: the operations that show it disable their windows,
    // and the owner's state would grey it out with them.
    if (event->type() == QEvent::EnabledChange && !isEnabled()) setEnabled(true);
}

LoadingWnd::LoadingWnd(QWidget* owner) : QWidget(owner, Qt::Dialog) {
    setObjectName(QStringLiteral("LoadingWnd"));
    setWindowTitle(QStringLiteral("处理中，请稍候*_*"));
    setFixedSize(400, 150);
    // It only reports: the keyboard stays with the window that started it.
    setAttribute(Qt::WA_ShowWithoutActivating);

    LabelTitle = new QLabel(QStringLiteral("载入中..."), this);
    LabelTitle->setObjectName(QStringLiteral("LabelTitle"));
    LabelTitle->setGeometry(24, 12, 260, 24);
    QFont big = LabelTitle->font();
    big.setPointSizeF(big.pointSizeF() * 1.3);
    LabelTitle->setFont(big);

    LabelNumber = new QLabel(QStringLiteral("12%"), this);
    LabelNumber->setObjectName(QStringLiteral("LabelNumber"));
    LabelNumber->setGeometry(296, 12, 80, 24);
    LabelNumber->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    Frame1 = new QGroupBox(QStringLiteral("信息"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(16, 40, 368, 60);
    TextLoadMsg = new QLineEdit(QStringLiteral("Text1"), Frame1);
    TextLoadMsg->setObjectName(QStringLiteral("TextLoadMsg"));
    TextLoadMsg->setReadOnly(true);
    TextLoadMsg->setGeometry(8, 24, 352, 26);

    ShapeBlackBar = makeBar(this, "ShapeBlackBar", Qt::black);
    ShapeBlackBar->setGeometry(kBarLeft, kBarTop, kBarWidth, kBarHeight);
    ShapeGreenBar = makeBar(this, "ShapeGreenBar", QColor(0, 255, 0));
    ShapeGreenBar->setGeometry(kBarLeft, kBarTop, 0, kBarHeight);
    ShapeGreenBar->raise();
}

float LoadingWnd::blackWidth() const { return static_cast<float>(ShapeBlackBar->width()); }

void LoadingWnd::setGreenWidth(float width) {
    m_green = width;
    // A zero-width widget still paints a sliver on some styles: hide it.
    const int px = static_cast<int>(width + 0.5f);
    ShapeGreenBar->setVisible(px > 0);
    ShapeGreenBar->resize(px, ShapeGreenBar->height());
}

void LoadingWnd::Prepare(const QString& title, const QString& number, const QString& message) {
    LabelTitle->setText(title);
    LabelNumber->setText(number);
    TextLoadMsg->setText(message);
    setGreenWidth(0);
    if (!isVisible()) {
        // Centred on the window that owns it, or on the screen.
        const QRect around = parentWidget() ? parentWidget()->window()->frameGeometry()
                                            : screen()->availableGeometry();
        move(around.center() - rect().center());
        show();
    }
    raise();
    repaintThrottled(true);
}

void LoadingWnd::Advance(int done, int total) {
    setGreenWidth(progress::greenWidth(blackWidth(), done, total));
    CheckGreenWidth();
    LabelNumber->setText(progress::percentText(done, total));
    repaintThrottled(false);
}

void LoadingWnd::CheckGreenWidth() {
    if (m_green > blackWidth()) setGreenWidth(blackWidth());
}

void LoadingWnd::Finish() {
    setGreenWidth(blackWidth());
    LabelNumber->setText(QStringLiteral("100%"));
    repaintThrottled(true);
    close();
}

void LoadingWnd::setMessage(const QString& message) {
    TextLoadMsg->setText(message);
    repaintThrottled(false);
}

bool LoadingWnd::repaintDue() const {
    return isVisible() && (!m_sinceRepaint.isValid() || m_sinceRepaint.elapsed() >= kRepaintMs);
}

void LoadingWnd::repaintThrottled(bool force) {
    if (!isVisible() || (!force && !repaintDue())) return;
    m_sinceRepaint.start();
    ++m_repaints;
    repaint();
    // Let the window system map and expose the window; user input waits.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace kinoleaf
