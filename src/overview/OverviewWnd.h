#pragma once
// The overview: every page of the movie as a thumbnail with its number and
// the start of its intro, the main window's page framed. Not modal: it
// follows the main window's page and rows, and a click there shows a page
// here. Delete removes the selected pages and a drag moves them, each as one
// undo step through the main window's rows.

#include "editor/ToolWnd.h"

#include "overview/OverviewView.h"

class QLabel;
class QSlider;

namespace kinoleaf {

class OverviewModel;
class PicMovieWnd;
class ThumbnailProvider;

class OverviewWnd : public ToolWnd {
    Q_OBJECT
public:
    static constexpr int kMinSide = 96;
    static constexpr int kMaxSide = 256;

    explicit OverviewWnd(PicMovieWnd* wnd);
    ~OverviewWnd() override;

    OverviewView* view() const { return m_view; }
    OverviewModel* model() const { return m_model; }
    ThumbnailProvider* thumbnails() const { return m_thumbs; }
    QList<int> selectedRows() const;

    // The selected pages go as 删除此页 takes one: an image into
    // delete_image when no remaining page shows it. One undo step.
    void deleteSelected();
    // The selected pages move to right after row chosen (−1: to the top),
    // keeping their order. One undo step. False when nothing moved.
    bool moveSelectedAfter(int chosen);
    void setThumbSide(int side);
    int thumbSide() const;

protected:
    void Form_Load() override;
    bool Form_Unload() override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onMainRowChanged(int row);
    void choosePage(int row);
    // Asks for the thumbnails on view first, then a screen ahead and behind.
    void scheduleRequests();
    void requestVisible();
    void showCounts();

    PicMovieWnd* m_wnd;
    ThumbnailProvider* m_thumbs;
    OverviewModel* m_model;
    OverviewView* m_view;
    OverviewDelegate* m_delegate;
    QLabel* m_counts;
    QSlider* m_zoom;
    bool m_requestPending = false;
    bool m_choosing = false;  // our own click is making a page the main window's
};

} // namespace kinoleaf
