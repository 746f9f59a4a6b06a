#include "editor/FindBar.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <iterator>

namespace kinoleaf {
namespace {

QPushButton* barButton(QWidget* parent, const char* name, const QString& caption, const QString& tip) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(tip);
    // A click leaves the focus in the field typed in.
    b->setFocusPolicy(Qt::TabFocus);
    b->setAutoDefault(false);
    return b;
}

} // namespace

FindBar::FindBar(QWidget* parent, QWidget* anchor) : QFrame(parent), m_anchor(anchor) {
    setObjectName(QStringLiteral("FindBar"));
    setFrameShape(QFrame::StyledPanel);
    setAutoFillBackground(true);

    TxtFind = new QLineEdit(this);
    TxtFind->setObjectName(QStringLiteral("TxtFind"));
    TxtFind->setPlaceholderText(QStringLiteral("查找解说中的文字"));
    TxtFind->setClearButtonEnabled(true);
    TxtReplace = new QLineEdit(this);
    TxtReplace->setObjectName(QStringLiteral("TxtReplace"));
    TxtReplace->setPlaceholderText(QStringLiteral("替换为"));
    ChkFindCase = new QCheckBox(QStringLiteral("区分大小写"), this);
    ChkFindCase->setObjectName(QStringLiteral("ChkFindCase"));
    ChkFindNames = new QCheckBox(QStringLiteral("也找图片名"), this);
    ChkFindNames->setObjectName(QStringLiteral("ChkFindNames"));
    for (QCheckBox* c : {ChkFindCase, ChkFindNames}) c->setFocusPolicy(Qt::TabFocus);
    BtnFindPrev = barButton(this, "BtnFindPrev", QStringLiteral("上一个"), QStringLiteral("上一处 (Shift+F3)"));
    BtnFindNext = barButton(this, "BtnFindNext", QStringLiteral("下一个"), QStringLiteral("下一处 (F3)"));
    BtnReplaceOne = barButton(this, "BtnReplaceOne", QStringLiteral("替换"), QStringLiteral("替换这一处，再找下一处"));
    BtnReplaceAll = barButton(this, "BtnReplaceAll", QStringLiteral("全部替换"), QStringLiteral("替换所有解说中的每一处"));
    BtnFindClose = barButton(this, "BtnFindClose", QStringLiteral("×"), QStringLiteral("关闭 (Esc)"));
    BtnFindClose->setFlat(true);
    BtnFindClose->setFixedWidth(BtnFindClose->sizeHint().height());
    LabelFindCount = new QLabel(this);
    LabelFindCount->setObjectName(QStringLiteral("LabelFindCount"));
    // Room for most counts, so the field does not jump as it changes.
    LabelFindCount->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("第 99 / 99 处")));

    // The buttons as wide as their captions: the bar must fit over the
    // picture of the smallest window.
    for (QPushButton* b : {BtnFindPrev, BtnFindNext, BtnReplaceOne, BtnReplaceAll})
        b->setFixedWidth(b->fontMetrics().horizontalAdvance(b->text()) + 20);
    m_options = new QWidget(this);
    auto* options = new QHBoxLayout(m_options);
    options->setContentsMargins(0, 0, 0, 0);
    options->addWidget(ChkFindCase);
    options->addWidget(ChkFindNames);

    m_findRow = new QHBoxLayout;
    m_findRow->addWidget(new QLabel(QStringLiteral("查找"), this));
    m_findRow->addWidget(TxtFind, 1);
    m_findRow->addWidget(LabelFindCount);
    m_findRow->addWidget(BtnFindPrev);
    m_findRow->addWidget(BtnFindNext);
    m_findRow->addWidget(m_options);
    m_findRow->addWidget(BtnFindClose);
    m_replaceRow = new QWidget(this);
    auto* replaceRow = new QHBoxLayout(m_replaceRow);
    replaceRow->setContentsMargins(0, 0, 0, 0);
    replaceRow->addWidget(new QLabel(QStringLiteral("替换"), m_replaceRow));
    replaceRow->addWidget(TxtReplace, 1);
    replaceRow->addWidget(BtnReplaceOne);
    replaceRow->addWidget(BtnReplaceAll);
    auto* rows = new QVBoxLayout(this);
    rows->setContentsMargins(6, 4, 6, 4);
    rows->setSpacing(4);
    rows->addLayout(m_findRow);
    rows->addWidget(m_replaceRow);

    // Read out by screen readers where the fields show no caption of their own.
    TxtFind->setAccessibleName(QStringLiteral("查找"));
    TxtReplace->setAccessibleName(QStringLiteral("替换为"));
    BtnFindClose->setAccessibleName(QStringLiteral("关闭查找"));
    // Tab goes through the find row, then the replace row.
    QWidget* order[] = {TxtFind, BtnFindPrev, BtnFindNext, ChkFindCase, ChkFindNames, BtnFindClose,
                        TxtReplace, BtnReplaceOne, BtnReplaceAll};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    connect(TxtFind, &QLineEdit::textEdited, this, &FindBar::edited);
    for (QCheckBox* c : {ChkFindCase, ChkFindNames}) connect(c, &QCheckBox::toggled, this, &FindBar::edited);
    connect(BtnFindPrev, &QPushButton::clicked, this, &FindBar::previousRequested);
    connect(BtnFindNext, &QPushButton::clicked, this, &FindBar::nextRequested);
    connect(BtnReplaceOne, &QPushButton::clicked, this, &FindBar::replaceOneRequested);
    connect(BtnReplaceAll, &QPushButton::clicked, this, &FindBar::replaceAllRequested);
    connect(BtnFindClose, &QPushButton::clicked, this, &FindBar::closeRequested);
    m_anchor->installEventFilter(this);
    hide();
}

void FindBar::open(bool replacing) {
    // The options go to the replace row when there is one, leaving the
    // find field room on its own row.
    auto* replaceRow = static_cast<QHBoxLayout*>(m_replaceRow->layout());
    if (replacing && replaceRow->indexOf(m_options) < 0) {
        m_findRow->removeWidget(m_options);
        replaceRow->addWidget(m_options);
    } else if (!replacing && m_findRow->indexOf(m_options) < 0) {
        replaceRow->removeWidget(m_options);
        m_findRow->insertWidget(m_findRow->indexOf(BtnFindClose), m_options);
    }
    m_replaceRow->setVisible(replacing);
    show();
    place();
    raise();
    TxtFind->setFocus(Qt::ShortcutFocusReason);
    TxtFind->selectAll();
}

bool FindBar::replacing() const { return isVisible() && m_replaceRow->isVisible(); }

QString FindBar::needle() const { return TxtFind->text(); }

QString FindBar::replacement() const { return TxtReplace->text(); }

find::Options FindBar::options() const { return {ChkFindCase->isChecked(), ChkFindNames->isChecked()}; }

void FindBar::setNeedle(const QString& text) { TxtFind->setText(text); }

void FindBar::setCountText(const QString& text) { LabelFindCount->setText(text); }

QString FindBar::countText() const { return LabelFindCount->text(); }

bool FindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_anchor && (event->type() == QEvent::Resize || event->type() == QEvent::Move) && isVisible())
        place();
    return false;
}

void FindBar::place() {
    // Over the bottom of the picture, its full width: the picture is drawn
    // centred, so its lower edge is mostly background.
    const QRect under = m_anchor->geometry();
    const int h = sizeHint().height();
    setGeometry(under.left(), under.bottom() + 1 - h, under.width(), h);
}

} // namespace kinoleaf
