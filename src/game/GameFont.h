// The face every game text is drawn in unless a screen names another. Texts name it each
// time: the text renderer's current face is shared, and a screen that names another face
// (the key screen's "ＭＳ ゴシック") must not change how the others look.
#pragma once

namespace game {

inline constexpr const char* kGameFont = "ことり文字ふぉんと等幅";

}  // namespace game
