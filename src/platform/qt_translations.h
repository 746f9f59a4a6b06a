#pragma once
// Qt's own texts (the buttons of message boxes, the context menu of text
// boxes) in Chinese, whatever the system's language: every other text of
// the editor is Chinese, and a box asking 是否保存 with Yes/No is a trap.

namespace kinoleaf {

// Loads Qt's Chinese translations into the application. False when they
// are not installed (Qt then keeps its English).
bool installChineseQtTexts();

} // namespace kinoleaf
