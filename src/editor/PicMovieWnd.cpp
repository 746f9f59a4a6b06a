#include "editor/PicMovieWnd.h"
#include "overview/OverviewWnd.h"

#include "editor/IntroTextBox.h"
#include "editor/LoadingWnd.h"
#include "editor/MovieHistory.h"
#include "editor/PageRowsView.h"
#include "editor/ToolWnd.h"
#include "editor/journal_keeper.h"
#include "editor/legacy_name_repair.h"
#include "pages/ExImgWnd.h"
#include "pages/ImgSortWnd.h"
#include "pages/WndDelPages.h"
#include "online/ServerLoginWnd.h"
#include "online/ServerMovieListWnd.h"
#include "selection/SmartCutWnd.h"
#include "editor/WndMovieCutVol.h"
#include "editor/main_layout.h"
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
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QTextCursor>

#include <utility>

namespace kinoleaf {
namespace {

const QString kUnsavedQuestion = QStringLiteral("图解脚本未保存，是否保存？");
const QString kInitialIntro = QStringLiteral("吐槽些什么吧~\r\n");

// "第 12 / 300 页"; nothing while no page is selected.
QString pagePositionText(int selected, int count) {
    if (selected < 0 || selected >= count) return {};
    return QStringLiteral("第 %1 / %2 页").arg(selected + 1).arg(count);
}

} // namespace

PicMovieWnd::PicMovieWnd(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("PicMovieWnd"));
    buildControls();
    m_loading = new LoadingWnd(this);
    keepJournal();
    m_history = new MovieHistory(this);
    connect(m_history, &MovieHistory::stepped, this, [this](bool clean) {
        if (clean) {
            // Back at the rows last saved or loaded.
            editedThisMovie = false;
            setWindowTitle(m_baseTitle);
            m_journal->clear();
        } else {
            // The row change has set the journal going, off this thread;
            // a step that moves files wrote it before they moved.
            MarkUnsaved();
        }
    });
    qApp->installEventFilter(this);
    Form_Load();
    prepareForDesktop();
}

PicMovieWnd::~PicMovieWnd() {
    qApp->removeEventFilter(this);
    // Top-level windows of their own (a disabled owner would disable them).
    delete m_exImg;
    delete m_delPages;
    delete m_imgSort;
    delete m_smartCut;
    delete m_movieCut;
    delete m_movieList;
    delete m_login;
    delete m_overview;
    // The controls go after this window's own part; what they signal while
    // they go (the page list empties its model) must not reach it.
    for (QObject* sender : std::initializer_list<QObject*>{ListMoviePics, ListMoviePics->model(),
                                                           TxtMovieIntro, PicMovieImg, FilePathList,
                                                           DriveSelect})
        disconnect(sender, nullptr, this, nullptr);
    disconnect(ListMoviePics->model(), nullptr, m_history, nullptr);
}

QString PicMovieWnd::GetImageNameWithRowStr(const QString& rowStr) { return imageNameOfRow(rowStr); }
QString PicMovieWnd::GetImageIntroWithRowStr(const QString& rowStr) { return introOfRow(rowStr); }

// ---------------------------------------------------------------- building

void PicMovieWnd::buildControls() {
    auto button = [this](QPushButton*& b, const char* name, const QString& caption) {
        b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        // A click leaves the focus where it was (Shift+arrows keep paging
        // after a click on 下一页); Tab still reaches the button.
        b->setFocusPolicy(Qt::TabFocus);
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
    ListMoviePics = new PageRowsView(this);
    ListMoviePics->setObjectName(QStringLiteral("ListMoviePics"));
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
    buildOverviewControls();

    Label1 = new QLabel(QStringLiteral("Label1"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = new QLabel(QStringLiteral("Kinoleaf制作器 v1.0  ·  问题与建议请告诉 Kinoleaf 开发组"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    line(Line1, "Line1", QFrame::HLine);
    line(Line2, "Line2", QFrame::HLine);
    line(Line3, "Line3", QFrame::VLine);

    setMinimumSize(kMainMinimumSize);
    resize(kMainFirstSize);
    placeControls();

    connect(ListMoviePics, &PageRowsView::Click, this, &PicMovieWnd::ListMoviePics_Click);
    connect(ListMoviePics, &PageRowsView::currentRowChanged, this, &PicMovieWnd::showPagePosition);
    for (auto signal : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(ListMoviePics->model(), signal, this, &PicMovieWnd::showPagePosition);
    connect(ListMoviePics->model(), &QAbstractItemModel::modelReset, this, &PicMovieWnd::showPagePosition);
    connect(TxtMovieIntro, &IntroTextBox::Change, this, &PicMovieWnd::TxtMovieIntro_Change);
    // The picture box tells only about the page asked for last.
    connect(PicMovieImg, &aicAlphaImage::imageShown, this, [this](const QString& path) {
        m_pendingPage.reset();
        notePictureShown(path);
    });
    connect(PicMovieImg, &aicAlphaImage::imageFailed, this, &PicMovieWnd::onPictureFailed);
    connect(BtnPrePage, &QPushButton::clicked, this, &PicMovieWnd::BtnPrePage_Click);
    connect(BtnNextPage, &QPushButton::clicked, this, &PicMovieWnd::BtnNextPage_Click);
    connect(BtnSave, &QPushButton::clicked, this, &PicMovieWnd::BtnSave_Click);
    const std::pair<QPushButton*, void (PicMovieWnd::*)()> tools[] = {
        {BtnInsertPage, &PicMovieWnd::BtnInsertPage_Click}, {BtnDelPage, &PicMovieWnd::BtnDelPage_Click},
        {BtnChangePage, &PicMovieWnd::BtnChangePage_Click}, {BtnUpImg, &PicMovieWnd::BtnUpImg_Click},
        {BtnDownImg, &PicMovieWnd::BtnDownImg_Click},       {BtnDelMorePages, &PicMovieWnd::BtnDelMorePages_Click},
        {BtnImgSort, &PicMovieWnd::BtnImgSort_Click},       {BtnExportTj, &PicMovieWnd::BtnExportTj_Click},
        {BtnImgCut, &PicMovieWnd::BtnImgCut_Click},         {BtnMovieCut, &PicMovieWnd::BtnMovieCut_Click},
        {BtnLinkServer, &PicMovieWnd::BtnLinkServer_Click}};
    for (const auto& [button, handler] : tools) connect(button, &QPushButton::clicked, this, handler);
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this, &PicMovieWnd::BtnSave_Click);
    connect(DriveSelect, &DriveListBox::Change, this, &PicMovieWnd::DriveSelect_Change);
    connect(FilePathList, &DirListBox::Change, this, &PicMovieWnd::FilePathList_Change);
    connect(FilePathList, &DirListBox::legacyFolderActivated, this,
            [this](const QString& parent, const QByteArray& raw, const QString& decoded) {
                const QString renamed = offerLegacyFolderRename(parent, raw, decoded);
                if (renamed.isEmpty()) return;
                FilePathList->refresh();
                FilePathList->setPath(renamed);
            });
}

void PicMovieWnd::placeControls() {
    const QHash<QString, QRect> layout = mainWindowLayout(size());
    for (auto it = layout.begin(); it != layout.end(); ++it)
        if (auto* w = findChild<QWidget*>(it.key(), Qt::FindDirectChildrenOnly)) w->setGeometry(it.value());
    Shape1->lower();
    Label1->lower();  // a one-pixel label under the page list, as it always sat
}

void PicMovieWnd::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeControls();
}

// ---------------------------------------------------------------- opening and closing

void PicMovieWnd::Form_Load() {
    m_baseTitle = QStringLiteral("Kinoleaf制作器 v1.0 ");
    setWindowTitle(m_baseTitle);
    // The box holds its first text before any page: no change handling yet.
    {
        const QSignalBlocker block(TxtMovieIntro);
        TxtMovieIntro->setText(kInitialIntro);
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
    // A tool that keeps this window waiting is closed first, as its own
    // close box would: it may still apply its changes, or keep it all open.
    if (closeToolWindowsOf(this) && Form_Unload()) {
        m_journal->clear();  // saved, or the changes dropped on purpose
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
        // A save that did not happen must not let the edits go. With no
        // folder loaded there is nothing a save could keep: after the
        // message that says so, go on as after No.
        if (!SaveScript()) return rootFilePath.isEmpty() ? Guard::Proceed : Guard::Stop;
        dialogs().message(QStringLiteral("图解脚本保存成功！"));
        return Guard::Proceed;
    case Answer::No:
        m_journal->clear();  // the user lets the changes go
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

QStringList PicMovieWnd::rows() const { return ListMoviePics->rows(); }

int PicMovieWnd::rowCount() const { return ListMoviePics->count(); }

QString PicMovieWnd::rowText(int row) const { return ListMoviePics->rowText(row); }

int PicMovieWnd::selectedRow() const { return ListMoviePics->currentRow(); }

void PicMovieWnd::setSelectedRow(int row) { ListMoviePics->selectRow(row); }

void PicMovieWnd::replaceRows(const QStringList& newRows) { ListMoviePics->replaceRows(newRows); }

void PicMovieWnd::appendRows(const QStringList& newRows) { ListMoviePics->appendRows(newRows); }

void PicMovieWnd::setRowText(int row, const QString& text) { ListMoviePics->setRowText(row, text); }

void PicMovieWnd::insertRow(int row, const QString& text) { ListMoviePics->insertRow(row, text); }

void PicMovieWnd::removeRow(int row) { ListMoviePics->removeRow(row); }

void PicMovieWnd::showPagePosition() { Label3->setText(pagePositionText(selectedRow(), rowCount())); }

void PicMovieWnd::ReadCurrentRow() {
    const QString text = rowText(selectedRow());
    m_currentImageName = GetImageNameWithRowStr(text);
    m_currentIntro = GetImageIntroWithRowStr(text);
}

bool PicMovieWnd::SaveScript() {
    if (rootFilePath.isEmpty()) {
        dialogs().message(QStringLiteral("还没有打开影片文件夹，无法保存脚本。"), MsgIcon::Exclamation);
        return false;
    }
    QString why;
    if (writeScript(&why)) return true;
    if (!why.isEmpty()) dialogs().message(why, MsgIcon::Critical);
    return false;
}

bool PicMovieWnd::writeScript(QString* why) {
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
        *why = QStringLiteral("保存脚本失败，原来的脚本文件没有改动。\n[%1]\n%2")
                   .arg(QDir::toNativeSeparators(path), written.error);
        return false;
    }
    markSaved();
    return true;
}

void PicMovieWnd::markSaved() {
    editedThisMovie = false;
    setWindowTitle(m_baseTitle);
    m_journal->clear();
    m_history->setClean();
}

// ---------------------------------------------------------------- pages

QString PicMovieWnd::imagePathOfRow(int row) const {
    return joinPath(rootFilePath, GetImageNameWithRowStr(rowText(row)));
}

void PicMovieWnd::ListMoviePics_Click() {
    // Showing a page tidies its row at most: nothing to take back.
    const MovieHistory::Hold showing = m_history->silence();
    m_pendingPage.reset();
    ReadCurrentRow();
    const QString path = joinPath(rootFilePath, m_currentImageName);
    if (m_currentImageName.isEmpty() || !plainFileExists(path)) {
        // A page left behind whose picture is still decoding must not come
        // in over this one.
        PicMovieImg->cancelPending();
        dialogs().message(QStringLiteral("图片文件未找到，加载失败 >_<"));
        ShowLogMessage(m_currentImageName.isEmpty()
                           ? QStringLiteral(">_< 这一页没有写图片文件名")
                           : QStringLiteral(">_< 图片文件未找到[%1]").arg(QDir::toNativeSeparators(path)));
    } else {
        // Decoded in the background unless it is at hand: paging never waits
        // on a picture the next key makes stale.
        switch (PicMovieImg->showImage(path)) {
        case aicAlphaImage::ShowState::Failed:
            reportUnshownPicture(path, PicMovieImg->lastError());
            return;
        case aicAlphaImage::ShowState::Shown:
            notePictureShown(path);
            break;
        case aicAlphaImage::ShowState::Pending:
            // Should the decode fail, the page goes back to how it was.
            m_pendingPage = PageBefore{selectedRow(), rowText(selectedRow()), TxtMovieIntro->text(),
                                       editedThisMovie, {}};
            break;
        }
    }
    TxtMovieIntro->setEnabled(true);
    TxtMovieIntro->setText(m_currentIntro, int(m_currentIntro.size()));
    // Whatever was selected in the box belonged to the page before.
    TxtMovieIntro->moveCursor(QTextCursor::End);
    if (m_pendingPage) m_pendingPage->introShown = TxtMovieIntro->text();
    prefetchNeighbours(selectedRow());
}

void PicMovieWnd::onPictureFailed(const QString& path, const QString& reason) {
    // Found out late, as the decode ran: undo what showing the page did, as
    // when the header tells at once, unless the user has typed meanwhile.
    const std::optional<PageBefore> before = std::exchange(m_pendingPage, std::nullopt);
    // Moved away while it decoded (publishing renames, a deleted page goes
    // to its folder): no verdict on a picture that is no longer there.
    if (!plainFileExists(path)) {
        ShowLogMessage(QStringLiteral(">_< 图片文件已不在原处[%1]").arg(QDir::toNativeSeparators(path)));
        return;
    }
    if (before && before->row == selectedRow() && TxtMovieIntro->text() == before->introShown) {
        const MovieHistory::Hold showing = m_history->silence();
        setRowText(before->row, before->rowText);
        {
            const QSignalBlocker quiet(TxtMovieIntro);
            TxtMovieIntro->setText(before->introText);
        }
        if (!before->edited) {
            editedThisMovie = false;
            setWindowTitle(m_baseTitle);
        }
    }
    reportUnshownPicture(path, reason);
}

void PicMovieWnd::notePictureShown(const QString& path) {
    if (PicMovieImg->currentIncomplete())
        ShowLogMessage(QStringLiteral(">_< 图片不完整，只显示了读得出的部分[%1]").arg(QDir::toNativeSeparators(path)));
}

void PicMovieWnd::reportUnshownPicture(const QString& path, const QString& reason) {
    TxtMovieIntro->setEnabled(false);
    dialogs().message(QStringLiteral("无效的图片地址"));
    ShowLogMessage(QStringLiteral(">_< 图片无法显示[%1]：%2").arg(QDir::toNativeSeparators(path), reason));
}

void PicMovieWnd::prefetchNeighbours(int row) {
    QStringList next;
    for (int r : {row + 1, row - 1, row + 2})
        if (r >= 0 && r < rowCount()) next.append(imagePathOfRow(r));
    PicMovieImg->prefetch(next);
}

void PicMovieWnd::TxtMovieIntro_Change() {
    if (!TxtMovieIntro->text().isEmpty()) {
        MarkUnsaved();
        // Each put-back raises this handling again for the new text.
        if (TxtMovieIntro->text().contains(u'\r'))
            TxtMovieIntro->setText(TxtMovieIntro->text().replace(u'\r', u' '), TxtMovieIntro->caret());
        if (TxtMovieIntro->text().contains(u'\n'))
            TxtMovieIntro->setText(TxtMovieIntro->text().replace(u'\n', u' '), TxtMovieIntro->caret());
    }
    const int row = selectedRow();
    if (rowCount() > 0 && row >= 0) {
        const QString before = rowText(row);
        {
            const MovieHistory::Hold typing = m_history->hold();
            setRowText(row, m_currentImageName + kRowSeparator + TxtMovieIntro->text());
        }
        if (rowText(row) != before) m_history->noteIntroEdit(row, before, rowText(row));
    }
}

void PicMovieWnd::BtnPrePage_Click() {
    const int i = selectedRow();
    if (i - 1 < 0 || rowCount() < 1) {
        dialogs().message(QStringLiteral("没有上一页了"));
        return;
    }
    setSelectedRow(i - 1);
}

void PicMovieWnd::BtnNextPage_Click() {
    const int i = selectedRow();
    if (i + 1 >= rowCount()) {
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
            if (const std::optional<bool> found = handleFindKey(key, focused)) return *found;
            if (m_history->handleKey(key) || overviewKey(key)) return true;
            const bool paged = Form_KeyDown(key->key(), key->modifiers() & ~Qt::KeypadModifier, focused);
            // The focused control still gets the key, except the intro box
            // after a page change: Shift+arrow would select a character of
            // the new page's intro, which the next keystroke overwrites.
            return paged && focused == TxtMovieIntro;
        }
    }
    return false;
}

bool PicMovieWnd::Form_KeyDown(int keyCode, Qt::KeyboardModifiers shift, QWidget* focused) {
    if (shift != Qt::ShiftModifier) return false;
    for (QWidget* list : {static_cast<QWidget*>(FilePathList), static_cast<QWidget*>(DriveSelect),
                          static_cast<QWidget*>(ListMoviePics)}) {
        if (focused && (focused == list || list->isAncestorOf(focused))) return false;
    }
    const int before = selectedRow();
    if (keyCode == Qt::Key_Left) BtnPrePage_Click();
    else if (keyCode == Qt::Key_Right) BtnNextPage_Click();
    return selectedRow() != before;
}

} // namespace kinoleaf
