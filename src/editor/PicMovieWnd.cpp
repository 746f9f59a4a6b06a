#include "editor/PicMovieWnd.h"

#include "editor/IntroTextBox.h"
#include "editor/LoadingWnd.h"
#include "editor/progress_math.h"
#include "model/page_row.h"
#include "model/script_file.h"
#include "platform/aic_alpha_image.h"
#include "platform/dialogs.h"
#include "platform/dir_list_box.h"
#include "platform/drive_list_box.h"
#include "platform/file_helpers.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QTextCursor>

namespace kinoleaf {
namespace {

const QString kUnsavedQuestion = QStringLiteral("图解脚本未保存，是否保存？");
const QString kInitialIntro = QStringLiteral("吐槽些什么吧~\r\n");

// The window's layout is given in twips; 15 make a pixel at 96 DPI.
constexpr int px(int twips) { return twips / 15; }
QRect twipRect(int l, int t, int w, int h) { return {px(l), px(t), px(w), px(h)}; }

constexpr int kClientWidth = 14445, kClientHeight = 9525;

// Where a control sits in the first look, and how it follows a larger window.
struct Placement {
    QWidget* widget;
    QRect rect;      // in pixels
    bool growW, growH, moveX, moveY;
};

} // namespace

PicMovieWnd::PicMovieWnd(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PicMovieWnd"));
    buildControls();
    m_loading = new LoadingWnd(this);
    qApp->installEventFilter(this);
    Form_Load();
}

PicMovieWnd::~PicMovieWnd() { qApp->removeEventFilter(this); }

QString PicMovieWnd::GetImageNameWithRowStr(const QString& rowStr) { return imageNameOfRow(rowStr); }
QString PicMovieWnd::GetImageIntroWithRowStr(const QString& rowStr) { return introOfRow(rowStr); }

// ---------------------------------------------------------------- building

void PicMovieWnd::buildControls() {
    auto button = [this](QPushButton*& b, const char* name, const QString& caption) {
        b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
    };
    auto line = [this](QFrame*& f, const char* name, QFrame::Shape shape) {
        f = new QFrame(this);
        f->setObjectName(QLatin1String(name));
        f->setFrameShape(shape);
        f->setFrameShadow(QFrame::Sunken);
    };

    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::Box);

    DriveSelect = new DriveListBox(this);
    DriveSelect->setObjectName(QStringLiteral("DriveSelect"));
    FilePathList = new DirListBox(this);
    FilePathList->setObjectName(QStringLiteral("FilePathList"));
    ListMoviePics = new QListWidget(this);
    ListMoviePics->setObjectName(QStringLiteral("ListMoviePics"));
    ListMoviePics->setSelectionMode(QAbstractItemView::SingleSelection);
    // One line a row: no need to lay out every row of a long script.
    ListMoviePics->setUniformItemSizes(true);
    PicMovieImg = new aicAlphaImage(this);
    PicMovieImg->setObjectName(QStringLiteral("PicMovieImg"));
    TxtMovieIntro = new IntroTextBox(this);
    TxtMovieIntro->setObjectName(QStringLiteral("TxtMovieIntro"));
    TxtMovieIntro->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    TxtMovieIntro->setTabChangesFocus(true);

    LabelLogMsg = new QLabel(QStringLiteral("^_^快来选择一部影片图解一下吧！"), this);
    LabelLogMsg->setObjectName(QStringLiteral("LabelLogMsg"));
    LabelLogMsg->setStyleSheet(QStringLiteral("color: #808080;"));

    button(BtnPrePage, "BtnPrePage", QStringLiteral("上一页"));
    button(BtnNextPage, "BtnNextPage", QStringLiteral("下一页"));
    button(BtnSave, "BtnSave", QStringLiteral("保存"));
    button(BtnInsertPage, "BtnInsertPage", QStringLiteral("插入一页"));
    button(BtnDelPage, "BtnDelPage", QStringLiteral("删除此页"));
    button(BtnChangePage, "BtnChangePage", QStringLiteral("替换图片"));
    button(BtnUpImg, "BtnUpImg", QStringLiteral("↑"));
    button(BtnDownImg, "BtnDownImg", QStringLiteral("↓"));
    button(BtnDelMorePages, "BtnDelMorePages", QStringLiteral("批量删除"));
    button(BtnImgSort, "BtnImgSort", QStringLiteral("排 序"));
    button(BtnImgCut, "BtnImgCut", QStringLiteral("筛选"));
    button(BtnMovieCut, "BtnMovieCut", QStringLiteral("分集"));
    button(BtnExportTj, "BtnExportTj", QStringLiteral("验证并生成发布脚本"));
    button(BtnLinkServer, "BtnLinkServer", QStringLiteral("登陆Quillhall"));
    BtnLinkServer->setVisible(false);  // nothing in the editor shows it

    Label1 = new QLabel(QStringLiteral("Label1"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("Kinoleaf制作器 v1.0  ·  图解影片脚本编辑器"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = new QLabel(QStringLiteral("问题与建议请告诉 Kinoleaf 开发组"), this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    line(Line1, "Line1", QFrame::HLine);
    line(Line2, "Line2", QFrame::HLine);
    line(Line3, "Line3", QFrame::VLine);

    setMinimumSize(px(kClientWidth), px(kClientHeight));
    resize(px(kClientWidth), px(kClientHeight));
    placeControls(0, 0);

    connect(ListMoviePics, &QListWidget::currentRowChanged, this, [this](int) {
        // Qt also reports row changes on clear and remove: only a user's
        // choice of a row counts as a click.
        if (!m_rowsChanging) ListMoviePics_Click();
    });
    connect(TxtMovieIntro, &QPlainTextEdit::textChanged, this, &PicMovieWnd::onIntroEdited);
    connect(TxtMovieIntro, &IntroTextBox::rawEdit, this,
            [this](const QString& text, int caret) { setIntroText(text, caret); });
    connect(BtnPrePage, &QPushButton::clicked, this, &PicMovieWnd::BtnPrePage_Click);
    connect(BtnNextPage, &QPushButton::clicked, this, &PicMovieWnd::BtnNextPage_Click);
    connect(BtnSave, &QPushButton::clicked, this, &PicMovieWnd::BtnSave_Click);
    connect(DriveSelect, &DriveListBox::Change, this, &PicMovieWnd::DriveSelect_Change);
    connect(FilePathList, &DirListBox::Change, this, &PicMovieWnd::FilePathList_Change);
}

void PicMovieWnd::placeControls(int dx, int dy) {
    // The first look is the fixed layout; a larger window gives the extra
    // room to the picture, the intro box and the page list.
    const Placement table[] = {
        {LabelLogMsg, twipRect(120, 240, 9495, 255), false, false, false, false},
        {BtnLinkServer, twipRect(120, 120, 1335, 375), false, false, false, false},
        {BtnSave, twipRect(10920, 120, 1095, 375), false, false, true, false},
        {BtnExportTj, twipRect(12120, 120, 2175, 375), false, false, true, false},
        {DriveSelect, twipRect(120, 720, 3495, 300), false, false, false, false},
        {FilePathList, twipRect(120, 1080, 3495, 1770), false, false, false, false},
        {ListMoviePics, twipRect(120, 3000, 3495, 5280), false, true, false, false},
        {PicMovieImg, twipRect(4080, 720, 9975, 6135), true, true, false, false},
        {Shape1, twipRect(4080, 720, 9975, 6135).adjusted(-1, -1, 1, 1), true, true, false, false},
        {TxtMovieIntro, twipRect(4080, 6960, 9975, 1335), true, false, false, true},
        {BtnImgCut, twipRect(120, 8520, 735, 495), false, false, false, true},
        {BtnMovieCut, twipRect(960, 8520, 735, 495), false, false, false, true},
        {BtnUpImg, twipRect(1800, 8520, 375, 495), false, false, false, true},
        {BtnImgSort, twipRect(2280, 8520, 855, 495), false, false, false, true},
        {BtnDownImg, twipRect(3240, 8520, 375, 495), false, false, false, true},
        {BtnPrePage, twipRect(4080, 8520, 1575, 495), false, false, false, true},
        {BtnDelPage, twipRect(5760, 8520, 1575, 495), false, false, false, true},
        {BtnDelMorePages, twipRect(7440, 8520, 1575, 495), false, false, false, true},
        {BtnChangePage, twipRect(9120, 8520, 1575, 495), false, false, false, true},
        {BtnInsertPage, twipRect(10800, 8520, 1575, 495), false, false, false, true},
        {BtnNextPage, twipRect(12480, 8520, 1575, 495), false, false, true, true},
        {Label2, twipRect(120, 9240, 11655, 255), false, false, false, true},
        {Label3, twipRect(8760, 9240, 5535, 255), false, false, true, true},
        {Label1, twipRect(1680, 3000, 1095, 15), false, false, false, false},
        {Line1, QRect(px(120), px(600) - 1, px(14160), 3), true, false, false, false},
        {Line2, QRect(px(120), px(9120) - 1, px(14160), 3), true, false, false, true},
        {Line3, QRect(px(3720) - 1, px(720), 3, px(8280)), false, true, false, false},
    };
    for (const Placement& p : table) {
        QRect r = p.rect;
        if (p.growW) r.setWidth(r.width() + dx);
        if (p.growH) r.setHeight(r.height() + dy);
        if (p.moveX) r.translate(dx, 0);
        if (p.moveY) r.translate(0, dy);
        p.widget->setGeometry(r);
    }
    Shape1->lower();
    Label1->lower();  // a one-pixel label under the page list, as it always sat
}

void PicMovieWnd::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeControls(qMax(0, width() - px(kClientWidth)), qMax(0, height() - px(kClientHeight)));
}

// ---------------------------------------------------------------- opening and closing

void PicMovieWnd::Form_Load() {
    m_baseTitle = QStringLiteral("Kinoleaf制作器 v1.0 ");
    setWindowTitle(m_baseTitle);
    // The box holds its first text before any page: no change handling yet.
    m_introText = kInitialIntro;
    {
        const QSignalBlocker block(TxtMovieIntro);
        TxtMovieIntro->setPlainText(QStringLiteral("吐槽些什么吧~\n"));
    }
    const QString here = QDir::currentPath();
    DriveSelect->setDrive(here);
    FilePathList->setPath(here, false);
    m_folderShown = FilePathList->path();
    if (const QScreen* s = screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(s->availableGeometry().center());
        move(frame.topLeft());
    }
}

void PicMovieWnd::closeEvent(QCloseEvent* event) {
    if (Form_Unload()) {
        event->accept();
    } else {
        event->ignore();
    }
}

bool PicMovieWnd::Form_Unload() {
    if (!editedThisMovie) return true;
    return askToSaveBeforeLeaving() == Guard::Proceed;
}

PicMovieWnd::Guard PicMovieWnd::askToSaveBeforeLeaving() {
    switch (dialogs().askYesNoCancel(kUnsavedQuestion)) {
    case Answer::Yes:
        // A save that did not happen must not let the edits go.
        if (!SaveScript()) return Guard::Stop;
        dialogs().message(QStringLiteral("图解脚本保存成功！"));
        return Guard::Proceed;
    case Answer::No:
        return Guard::Proceed;
    default:
        return Guard::Stop;
    }
}

// ---------------------------------------------------------------- the model

void PicMovieWnd::MarkUnsaved() {
    if (editedThisMovie) return;
    editedThisMovie = true;
    setWindowTitle(m_baseTitle + QStringLiteral(" (未保存)"));
}

void PicMovieWnd::ShowLogMessage(const QString& text) { LabelLogMsg->setText(text); }

QStringList PicMovieWnd::rows() const {
    QStringList out;
    out.reserve(ListMoviePics->count());
    for (int i = 0; i < ListMoviePics->count(); ++i) out.append(ListMoviePics->item(i)->text());
    return out;
}

int PicMovieWnd::selectedRow() const { return ListMoviePics->currentRow(); }

void PicMovieWnd::setSelectedRow(int row) {
    {
        const QScopedValueRollback guard(m_rowsChanging, true);
        ListMoviePics->setCurrentRow(row);
    }
    if (row >= 0 && row < ListMoviePics->count()) ListMoviePics_Click();
}

void PicMovieWnd::appendRows(const QStringList& newRows) {
    const QScopedValueRollback guard(m_rowsChanging, true);
    ListMoviePics->addItems(newRows);
}

void PicMovieWnd::removeAllRows() {
    const QScopedValueRollback guard(m_rowsChanging, true);
    ListMoviePics->clear();
}

void PicMovieWnd::ReadCurrentRow() {
    const int row = selectedRow();
    const QString text = row >= 0 ? ListMoviePics->item(row)->text() : QString();
    m_currentImageName = GetImageNameWithRowStr(text);
    m_currentIntro = GetImageIntroWithRowStr(text);
}

bool PicMovieWnd::SaveScript() {
    if (rootFilePath.isEmpty()) {
        dialogs().message(QStringLiteral("还没有打开影片文件夹，无法保存脚本。"), MsgIcon::Exclamation);
        return false;
    }
    const QStringList all = rows();
    const QString lost = script::unsavableCharacters(all);
    if (!lost.isEmpty()) {
        const QString question =
            QStringLiteral("解说中有脚本文件无法保存的字符：%1\n保存后它们会变成“?”。仍然保存吗？").arg(lost);
        if (dialogs().askYesNo(question) != Answer::Yes) return false;
    }
    const QString path = joinPath(rootFilePath, script::kFileName);
    const script::WriteResult written = script::write(path, all);
    if (!written.ok) {
        dialogs().message(QStringLiteral("保存脚本失败，原来的脚本文件没有改动。\n[%1]\n%2")
                              .arg(QDir::toNativeSeparators(path), written.error),
                          MsgIcon::Critical);
        return false;
    }
    editedThisMovie = false;
    setWindowTitle(m_baseTitle);
    return true;
}

// ---------------------------------------------------------------- drives and folders

void PicMovieWnd::DriveSelect_Change() {
    const QString picked = DriveSelect->drive();
    if (editedThisMovie && askToSaveBeforeLeaving() == Guard::Stop) {
        // With no folder loaded the folder list still shows where we were.
        DriveSelect->setDrive(rootFilePath.isEmpty() ? FilePathList->path() : rootFilePath);
        return;
    }
    const bool moved = FilePathList->setPath(FilePathList->currentFolderOn(picked));
    // The drive list follows the folder list; when they disagree the drive
    // could not be read. A cancelled folder question is no device fault.
    DriveSelect->setDrive(FilePathList->path());
    if (!m_folderChangeCancelled && (!moved || DriveSelect->drive() != picked))
        dialogs().message(QStringLiteral("O_O 设备无法读取咧"));
}

void PicMovieWnd::FilePathList_Change() {
    m_folderChangeCancelled = false;
    const QString path = FilePathList->path();
    const QString goBackTo = rootFilePath.isEmpty() ? m_folderShown : rootFilePath;
    if (path != rootFilePath && editedThisMovie && askToSaveBeforeLeaving() == Guard::Stop) {
        m_folderChangeCancelled = true;
        FilePathList->setPath(goBackTo, false);
        return;
    }

    const QString scriptPath = joinPath(path, script::kFileName);
    const bool hasScript = plainFileExists(scriptPath);
    script::ReadResult loaded;
    if (hasScript) {
        // Read before anything changes: a script we cannot read must not
        // turn into an image-only list that a save would write over it.
        loaded = script::read(scriptPath);
        if (!loaded.ok) {
            dialogs().message(QStringLiteral("O_O 脚本文件无法读取咧\n[%1]\n%2")
                                  .arg(QDir::toNativeSeparators(scriptPath), loaded.error),
                              MsgIcon::Exclamation);
            m_folderChangeCancelled = true;
            FilePathList->setPath(goBackTo, false);
            return;
        }
    }

    rootFilePath = path;
    m_folderShown = path;
    if (hasScript) {
        removeAllRows();
        m_loading->Prepare(QStringLiteral("载入中..."), QStringLiteral("0%"),
                           QStringLiteral("找到脚本文件，载入中..."));
        appendRows(loaded.rows);
        m_loading->setMessage(QStringLiteral("脚本文件读取完毕，检查图片..."));
        m_loading->setGreenWidth(0);
        AddNewImages(rootFilePath);
        if (ListMoviePics->count() > 0) setSelectedRow(0);
        ShowLogMessage(QStringLiteral(">o< 找到解说脚本[") + QDir::toNativeSeparators(scriptPath) +
                       QStringLiteral("]，载入脚本成功！"));
    } else {
        removeAllRows();
        m_loading->Prepare(QStringLiteral("载入中..."), QStringLiteral("0%"),
                           QStringLiteral("没有找到脚本文件，载入图片中..."));
        LoadImageList(rootFilePath);
    }
    editedThisMovie = false;
    setWindowTitle(m_baseTitle);
}

int PicMovieWnd::LoadImageList(const QString& folder) {
    removeAllRows();
    m_currentImageName = QStringLiteral("nil");
    m_currentIntro = QStringLiteral("nil");
    QStringList names = listFiles(folder);
    names.removeIf([](const QString& name) { return !isImageFileName(name); });
    return appendFoundImages(names, QStringLiteral(">o< 载入图片列表成功，共计[%1]张图片"));
}

int PicMovieWnd::AddNewImages(const QString& folder) {
    m_currentIntro = QStringLiteral("nil");
    return appendFoundImages(script::imagesNotInRows(rows(), listFiles(folder)),
                             QStringLiteral(">o< 发现新图片，共计[%1]张图片"));
}

int PicMovieWnd::appendFoundImages(const QStringList& names, const QString& logMessage) {
    const int count = static_cast<int>(names.size());
    for (int done = 1; done <= count; ++done) m_loading->Advance(done, progress::kLoadTotal);
    appendRows(names);
    m_loading->Finish();
    if (count > 0) {
        ShowLogMessage(logMessage.arg(count));
        if (ListMoviePics->count() > 0) setSelectedRow(0);
    }
    m_loading->close();
    return count;
}

// ---------------------------------------------------------------- pages

QString PicMovieWnd::imagePathOfRow(int row) const {
    return joinPath(rootFilePath, GetImageNameWithRowStr(ListMoviePics->item(row)->text()));
}

void PicMovieWnd::ListMoviePics_Click() {
    ReadCurrentRow();
    const QString path = joinPath(rootFilePath, m_currentImageName);
    if (m_currentImageName.isEmpty() || !plainFileExists(path)) {
        dialogs().message(QStringLiteral("图片文件未找到，加载失败 >_<"));
    } else if (!PicMovieImg->LoadImage_FromFile(path)) {
        TxtMovieIntro->setEnabled(false);
        dialogs().message(QStringLiteral("无效的图片地址"));
        return;
    }
    TxtMovieIntro->setEnabled(true);
    setIntroText(m_currentIntro);
    prefetchNeighbours(selectedRow());
}

void PicMovieWnd::prefetchNeighbours(int row) {
    QStringList next;
    for (int r : {row + 1, row - 1, row + 2})
        if (r >= 0 && r < ListMoviePics->count()) next.append(imagePathOfRow(r));
    PicMovieImg->prefetch(next);
}

void PicMovieWnd::setIntroText(const QString& text) {
    setIntroText(text, TxtMovieIntro->textCursor().position());
}

void PicMovieWnd::setIntroText(const QString& text, int caret) {
    if (text == m_introText) return;  // an unchanged text raises no change
    m_introText = text;
    m_introCaret = caret;
    {
        const QSignalBlocker block(TxtMovieIntro);
        TxtMovieIntro->setPlainText(text);
        // Line breaks turn into spaces one for one, so the caret keeps its place.
        QTextCursor c = TxtMovieIntro->textCursor();
        c.setPosition(qBound(0, caret, static_cast<int>(TxtMovieIntro->document()->characterCount() - 1)));
        TxtMovieIntro->setTextCursor(c);
    }
    TxtMovieIntro_Change();
}

void PicMovieWnd::onIntroEdited() {
    // The widget also reports edits that leave the text as it was.
    const QString text = TxtMovieIntro->toPlainText();
    if (text == m_introText) return;
    m_introText = text;
    m_introCaret = TxtMovieIntro->textCursor().position();
    TxtMovieIntro_Change();
}

void PicMovieWnd::TxtMovieIntro_Change() {
    if (!m_introText.isEmpty()) {
        MarkUnsaved();
        if (m_introText.contains(u'\r'))
            setIntroText(QString(m_introText).replace(u'\r', u' '), m_introCaret);
        if (m_introText.contains(u'\n'))
            setIntroText(QString(m_introText).replace(u'\n', u' '), m_introCaret);
    }
    const int row = selectedRow();
    if (ListMoviePics->count() > 0 && row >= 0)
        ListMoviePics->item(row)->setText(m_currentImageName + kRowSeparator + m_introText);
}

void PicMovieWnd::BtnPrePage_Click() {
    const int i = selectedRow();
    if (i - 1 < 0 || ListMoviePics->count() < 1) {
        dialogs().message(QStringLiteral("没有上一页了"));
        return;
    }
    setSelectedRow(i - 1);
}

void PicMovieWnd::BtnNextPage_Click() {
    const int i = selectedRow();
    if (i + 1 >= ListMoviePics->count()) {
        dialogs().message(QStringLiteral("没有下一页了"));
        return;
    }
    setSelectedRow(i + 1);
}

void PicMovieWnd::BtnSave_Click() {
    if (SaveScript()) dialogs().message(QStringLiteral("保存脚本成功！"));
}

// ---------------------------------------------------------------- keyboard

bool PicMovieWnd::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        QWidget* focused = QApplication::focusWidget();
        // Keys travel on to parents when a control ignores them: act once,
        // at the first delivery, and only for keys in this window.
        const bool firstDelivery = focused ? w == focused : w == this;
        if (firstDelivery && w->window() == this) {
            auto* key = static_cast<QKeyEvent*>(event);
            Form_KeyDown(key->key(), key->modifiers() & ~Qt::KeypadModifier, focused);
        }
    }
    return false;  // the focused control still gets the key
}

void PicMovieWnd::Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift, QWidget* focused) {
    if (shift != Qt::ShiftModifier) return;
    for (QWidget* list : {static_cast<QWidget*>(FilePathList), static_cast<QWidget*>(DriveSelect),
                          static_cast<QWidget*>(ListMoviePics)}) {
        if (focused && (focused == list || list->isAncestorOf(focused))) return;
    }
    if (keyCode == Qt::Key_Left) BtnPrePage_Click();
    else if (keyCode == Qt::Key_Right) BtnNextPage_Click();
}

} // namespace kinoleaf
