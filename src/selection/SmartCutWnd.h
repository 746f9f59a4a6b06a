#pragma once
// The automatic selection window: settings, story bands and the source rows
// with their ticks; 开始筛选 runs the selection into the result window.

#include "editor/ToolWnd.h"

#include <QColor>
#include <QList>
#include <QStringList>

#include <array>
#include <vector>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace kinoleaf {

namespace selection {
struct Settings;
}

class aicAlphaImage;
class PageListBox;
class PicMovieWnd;
class SmartCutResultWnd;

// A band bar (ShapeStory_k): a rectangle with a border and a fill colour.
class StoryBar : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QColor borderColor READ borderColor)
    Q_PROPERTY(QColor fillColor READ fillColor)
public:
    explicit StoryBar(QWidget* parent = nullptr);
    // Green when its band is ticked, the colour of an inactive border when not.
    void setTicked(bool ticked);
    void setColors(const QColor& border, const QColor& fill);
    QColor borderColor() const { return m_border; }
    QColor fillColor() const { return m_fill; }
    QSize sizeHint() const override { return {36, 14}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor m_border, m_fill;
};

class SmartCutWnd : public ToolWnd {
    Q_OBJECT
public:
    static constexpr int kBands = 10;

    explicit SmartCutWnd(PicMovieWnd* owner);
    ~SmartCutWnd() override;

    SmartCutResultWnd* resultWnd() const { return m_result; }
    // Fills the source list (no row ticked) and its counts, and shows row 0.
    void LoadRows(const QStringList& rows);
    QSize sizeHint() const override;

    // The settings a run reads and the figures it leaves behind.
    struct Fields {
        qint16 cutRestCount = 0;  // 0 until a target is committed
        qint16 minCutRest = 1;
        bool keepHaveIntro = true;
        qint16 minPieceSize = 0;
        qint16 maxPieceSize = 20;
        qint16 storyCheckedCount = 0;
        QList<qint16> pieceSizeList;
    };
    const Fields& fields() const { return m_fields; }
    int tickedCount() const { return m_tickedCount; }

    // Frame 筛选规则
    QGroupBox* FrameRules;
    QLineEdit* TextImgCutRest;
    QLabel* LabelCutSize;
    QComboBox* ComboCutWay;
    QCheckBox* CheckKeepStartEnd;
    QCheckBox* CheckKeepHaveIntro;
    QCheckBox* CheckKeepSel;
    QCheckBox* CheckSelSrt;
    QPushButton* BtnInputSrt;
    QLineEdit* TextSrtUrl;
    QPushButton* BtnStartCut;
    // Frame 剧情偏重（仅曲线抽样可用）, band 1 at index 0
    QGroupBox* FrameStory;
    std::array<QLabel*, kBands> LabelStory;
    std::array<StoryBar*, kBands> ShapeStory;
    std::array<QCheckBox*, kBands> CheckStory;
    std::array<QPushButton*, kBands> BtnStory;
    QLineEdit* TextMinPieceSize;
    QLineEdit* TextMaxPieceSize;
    // Frame 原始列表
    QGroupBox* FrameSrc;
    PageListBox* ListImgSrc;
    aicAlphaImage* ImgSrc;
    QPlainTextEdit* IntroSrc;
    // The untitled frame
    QGroupBox* FrameInfo;
    QLabel* LabelImgTotal;
    QLabel* LabelImgHaveIntro;
    QLabel* LabelImgSelected;
    QPlainTextEdit* LogMsgText;
    QLabel* LabelHideIntroCount;  // never shown: the number of intro rows

public slots:
    void ComboCutWay_Click();
    // CheckStory_1_Click … CheckStory_10_Click and the buttons', k = 1..10.
    void CheckStory_k_Click(int k);
    void BtnStory_k_Click(int k);
    void CheckKeepHaveIntro_Click();
    void CheckKeepStartEnd_Click();
    void ListImgSrc_Click();
    void TextImgCutRest_LostFocus();
    void TextMinPieceSize_LostFocus();
    void TextMaxPieceSize_LostFocus();
    void BtnStartCut_Click();

protected:
    void Form_Load() override;
    bool Form_Unload() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DisableStoryControls();
    void EnableStoryControls();
    void RefreshStoryBars();
    void JumpToStoryPart(int value);
    void ReadKeepHaveIntro();
    void RefreshSelectedCount();
    void UpdateMinCutRest();

    void buildControls();
    void setStoryControlsEnabled(bool enabled);
    void swapPieceSizes();
    selection::Settings settings() const;
    // Follows the rows' ticks, by the user or from code, in one count.
    void onRowsChanged(int first, int last);

    PicMovieWnd* m_wnd;
    SmartCutResultWnd* m_result;
    Fields m_fields;
    QStringList m_rows;          // the source rows as loaded
    std::vector<bool> m_ticked;  // each row's tick, as last seen
    int m_tickedCount = 0;
    bool m_filling = false;
};

} // namespace kinoleaf
