// The selection window's controls and their layout, and its band bars.

#include "selection/SmartCutWnd.h"

#include "editor/PageListBox.h"
#include "platform/aic_alpha_image.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>

namespace kinoleaf {
namespace {

const QColor kTickedBorder(0, 128, 0);
const QColor kTickedFill(0, 255, 0);

// The colour of a band that is not ticked, as the system paints the border
// of an inactive window.
QColor inactiveBorder(const QWidget* w) { return w->palette().color(QPalette::Inactive, QPalette::Mid); }

} // namespace

StoryBar::StoryBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_border = m_fill = inactiveBorder(this);
}

void StoryBar::setTicked(bool ticked) {
    if (ticked) setColors(kTickedBorder, kTickedFill);
    else setColors(inactiveBorder(this), inactiveBorder(this));
}

void StoryBar::setColors(const QColor& border, const QColor& fill) {
    if (border == m_border && fill == m_fill) return;
    m_border = border;
    m_fill = fill;
    update();
}

void StoryBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), m_fill);
    painter.setPen(m_border);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void SmartCutWnd::buildControls() {
    auto named = [](QWidget* w, const QString& name) {
        w->setObjectName(name);
        return w;
    };
    auto label = [this](const QString& text) { return new QLabel(text, this); };
    auto box = [&named, this](QLineEdit*& edit, const char* name, const QString& text) {
        edit = new QLineEdit(text, this);
        named(edit, QLatin1String(name));
        edit->installEventFilter(this);  // its LostFocus
    };
    auto check = [&named, this](QCheckBox*& c, const char* name, const QString& text) {
        c = new QCheckBox(text, this);
        named(c, QLatin1String(name));
    };

    // 筛选规则
    FrameRules = new QGroupBox(QStringLiteral("筛选规则"), this);
    named(FrameRules, QStringLiteral("FrameRules"));
    box(TextImgCutRest, "TextImgCutRest", QStringLiteral("1"));
    TextImgCutRest->setMaximumWidth(90);
    LabelCutSize = new QLabel(QStringLiteral("（1-3000）张"), this);
    named(LabelCutSize, QStringLiteral("LabelCutSize"));
    ComboCutWay = new QComboBox(this);
    named(ComboCutWay, QStringLiteral("ComboCutWay"));
    ComboCutWay->addItems({QStringLiteral("线性均分"), QStringLiteral("曲线抽样")});
    check(CheckKeepStartEnd, "CheckKeepStartEnd", QStringLiteral("保留片头片尾"));
    check(CheckKeepHaveIntro, "CheckKeepHaveIntro", QStringLiteral("保留含有解说的行"));
    check(CheckKeepSel, "CheckKeepSel", QStringLiteral("保留均衡"));
    // The subtitle controls do nothing; they stay as the window shows them.
    check(CheckSelSrt, "CheckSelSrt", QStringLiteral("选中字幕"));
    CheckSelSrt->setEnabled(false);
    BtnInputSrt = new QPushButton(QStringLiteral("导入Srt字幕"), this);
    named(BtnInputSrt, QStringLiteral("BtnInputSrt"));
    TextSrtUrl = new QLineEdit(this);
    named(TextSrtUrl, QStringLiteral("TextSrtUrl"));
    BtnStartCut = new QPushButton(QStringLiteral("开始筛选"), this);
    named(BtnStartCut, QStringLiteral("BtnStartCut"));
    BtnStartCut->setMinimumSize(120, 36);
    for (QPushButton* b : {BtnInputSrt, BtnStartCut}) b->setAutoDefault(false);

    // 剧情偏重（仅曲线抽样可用）
    FrameStory = new QGroupBox(QStringLiteral("剧情偏重（仅曲线抽样可用）"), this);
    named(FrameStory, QStringLiteral("FrameStory"));
    auto* bands = new QGridLayout;
    bands->setHorizontalSpacing(4);
    for (int i = 0; i < kBands; ++i) {
        const QString k = QString::number(i + 1);
        LabelStory[i] = new QLabel(QStringLiteral("%1%").arg((i + 1) * 10), this);
        named(LabelStory[i], QStringLiteral("LabelStory_") + k);
        LabelStory[i]->setAlignment(Qt::AlignCenter);
        ShapeStory[i] = new StoryBar(this);
        named(ShapeStory[i], QStringLiteral("ShapeStory_") + k);
        CheckStory[i] = new QCheckBox(this);
        named(CheckStory[i], QStringLiteral("CheckStory_") + k);
        BtnStory[i] = new QPushButton(QStringLiteral("⊙"), this);
        named(BtnStory[i], QStringLiteral("BtnStory_") + k)->setFixedWidth(30);
        BtnStory[i]->setAutoDefault(false);
        bands->addWidget(LabelStory[i], 0, i);
        bands->addWidget(ShapeStory[i], 1, i);
        bands->addWidget(CheckStory[i], 2, i, Qt::AlignCenter);
        bands->addWidget(BtnStory[i], 3, i, Qt::AlignCenter);
        connect(CheckStory[i], &QCheckBox::clicked, this, [this, i] { CheckStory_k_Click(i + 1); });
        connect(BtnStory[i], &QPushButton::clicked, this, [this, i] { BtnStory_k_Click(i + 1); });
    }
    box(TextMinPieceSize, "TextMinPieceSize", QStringLiteral("0"));
    box(TextMaxPieceSize, "TextMaxPieceSize", QStringLiteral("20"));
    auto* gaps = new QHBoxLayout;
    gaps->addWidget(label(QStringLiteral("最小间隔：")));
    gaps->addWidget(TextMinPieceSize);
    gaps->addSpacing(16);
    gaps->addWidget(label(QStringLiteral("最大间隔：")));
    gaps->addWidget(TextMaxPieceSize);
    gaps->addStretch(1);
    auto* story = new QVBoxLayout(FrameStory);
    story->addLayout(bands);
    story->addLayout(gaps);

    auto* rules = new QGridLayout(FrameRules);
    rules->addWidget(label(QStringLiteral("筛选出图片：")), 0, 0);
    rules->addWidget(TextImgCutRest, 0, 1);
    rules->addWidget(LabelCutSize, 0, 2);
    rules->addWidget(label(QStringLiteral("筛选方式：")), 1, 0);
    rules->addWidget(ComboCutWay, 1, 1, 1, 2, Qt::AlignLeft);
    auto* keeps = new QHBoxLayout;
    keeps->addWidget(CheckKeepStartEnd);
    keeps->addWidget(CheckKeepHaveIntro);
    keeps->addWidget(CheckKeepSel);
    keeps->addStretch(1);
    rules->addLayout(keeps, 2, 0, 1, 3);
    auto* srt = new QHBoxLayout;
    srt->addWidget(CheckSelSrt);
    srt->addWidget(BtnInputSrt);
    srt->addWidget(TextSrtUrl, 1);
    rules->addLayout(srt, 3, 0, 1, 3);
    rules->addWidget(FrameStory, 4, 0, 1, 3);
    rules->addWidget(BtnStartCut, 5, 0, 1, 3, Qt::AlignRight);
    rules->setColumnStretch(2, 1);

    // The untitled frame with the counts
    FrameInfo = new QGroupBox(this);
    named(FrameInfo, QStringLiteral("FrameInfo"));
    LabelImgTotal = new QLabel(QStringLiteral("全部图片共计：0 张"), this);
    named(LabelImgTotal, QStringLiteral("LabelImgTotal"));
    LabelImgHaveIntro = new QLabel(QStringLiteral("含有解说的行：0 张"), this);
    named(LabelImgHaveIntro, QStringLiteral("LabelImgHaveIntro"));
    LabelImgSelected = new QLabel(QStringLiteral("选中保留的行：0 张"), this);
    named(LabelImgSelected, QStringLiteral("LabelImgSelected"));
    LogMsgText = new QPlainTextEdit(this);
    named(LogMsgText, QStringLiteral("LogMsgText"));
    LogMsgText->setReadOnly(true);  // nothing writes to it
    LogMsgText->setFixedHeight(LogMsgText->fontMetrics().lineSpacing() * 3 + 12);
    auto* info = new QVBoxLayout(FrameInfo);
    info->addWidget(LabelImgTotal);
    info->addWidget(LabelImgHaveIntro);
    info->addWidget(LabelImgSelected);
    info->addWidget(LogMsgText);

    LabelHideIntroCount = new QLabel(QStringLiteral("0"), this);
    named(LabelHideIntroCount, QStringLiteral("LabelHideIntroCount"));
    LabelHideIntroCount->hide();

    // 原始列表
    FrameSrc = new QGroupBox(QStringLiteral("原始列表"), this);
    named(FrameSrc, QStringLiteral("FrameSrc"));
    ListImgSrc = new PageListBox(FrameSrc);
    named(ListImgSrc, QStringLiteral("ListImgSrc"));
    ListImgSrc->setMinimumSize(260, 160);
    ImgSrc = new aicAlphaImage(FrameSrc);
    named(ImgSrc, QStringLiteral("ImgSrc"));
    ImgSrc->setMinimumSize(320, 200);
    IntroSrc = new QPlainTextEdit(QStringLiteral("影片解说"), FrameSrc);
    named(IntroSrc, QStringLiteral("IntroSrc"));
    IntroSrc->setReadOnly(true);  // it shows the row's intro; typing would go nowhere
    IntroSrc->setFixedHeight(IntroSrc->fontMetrics().lineSpacing() * 3 + 12);
    auto* src = new QVBoxLayout(FrameSrc);
    src->addWidget(ListImgSrc, 3);
    src->addWidget(ImgSrc, 2);
    src->addWidget(IntroSrc);

    auto* left = new QVBoxLayout;
    left->addWidget(FrameRules);
    left->addWidget(FrameInfo);
    left->addStretch(1);
    auto* all = new QHBoxLayout(this);
    all->addLayout(left, 0);
    all->addWidget(FrameSrc, 1);

    connect(ComboCutWay, &QComboBox::currentIndexChanged, this, &SmartCutWnd::ComboCutWay_Click);
    connect(CheckKeepHaveIntro, &QCheckBox::clicked, this, &SmartCutWnd::CheckKeepHaveIntro_Click);
    connect(CheckKeepStartEnd, &QCheckBox::clicked, this, &SmartCutWnd::CheckKeepStartEnd_Click);
    connect(ListImgSrc, &PageListBox::Click, this, &SmartCutWnd::ListImgSrc_Click);
    connect(BtnStartCut, &QPushButton::clicked, this, &SmartCutWnd::BtnStartCut_Click);
    connect(ListImgSrc->model(), &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& first, const QModelIndex& last, const QList<int>& roles) {
                if (roles.isEmpty() || roles.contains(Qt::CheckStateRole)) onRowsChanged(first.row(), last.row());
            });
}

} // namespace kinoleaf
