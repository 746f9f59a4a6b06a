#pragma once
// The progress window every long operation shows while it runs inside the
// handler that started it.

#include <QElapsedTimer>
#include <QWidget>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;

namespace kinoleaf {

class LoadingWnd : public QWidget {
    Q_OBJECT
public:
    explicit LoadingWnd(QWidget* owner = nullptr);

    // Sets the texts, empties the bar and shows the window without blocking.
    void Prepare(const QString& title, const QString& number, const QString& message);
    void Advance(int done, int total);
    void CheckGreenWidth();
    // Fills the bar, shows "100%" and closes the window.
    void Finish();
    void setMessage(const QString& message);
    void setGreenWidth(float width);
    // Whether a progress step now would be repainted: shown, and the last
    // repaint long enough ago.
    bool repaintDue() const;

    float greenWidth() const { return m_green; }
    float blackWidth() const;
    // How often the window was repainted since it was created.
    int repaintCount() const { return m_repaints; }

    QLabel* LabelTitle;
    QLabel* LabelNumber;
    QGroupBox* Frame1;
    QLineEdit* TextLoadMsg;
    QFrame* ShapeBlackBar;
    QFrame* ShapeGreenBar;

protected:
    void changeEvent(QEvent* event) override;

private:
    // Repaints at most about 60 times a second, taking no user input.
    void repaintThrottled(bool force);

    float m_green = 0;
    int m_repaints = 0;
    QElapsedTimer m_sinceRepaint;
};

} // namespace kinoleaf
