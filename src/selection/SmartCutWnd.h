#pragma once
// The automatic selection window: settings, story bands and the source rows
// with their ticks; 开始筛选 runs the selection into the result window.

#include "editor/ToolWnd.h"

#include <QStringList>

namespace kinoleaf {

class PicMovieWnd;
class SmartCutResultWnd;

class SmartCutWnd : public ToolWnd {
    Q_OBJECT
public:
    explicit SmartCutWnd(PicMovieWnd* owner);
    ~SmartCutWnd() override;

    SmartCutResultWnd* resultWnd() const { return m_result; }

private:
    PicMovieWnd* m_wnd;
    SmartCutResultWnd* m_result;
};

} // namespace kinoleaf
