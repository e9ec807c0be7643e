#pragma once

#include <QIcon>

// The window's two image lists. The pictures are drawn in code on a 16 by 16 grid and
// rendered at whatever size and device pixel ratio is asked for, so they stay sharp on
// high-density screens; the background is transparent.
//
// Toolbar images, by index: 0 new, 1 open, 2 save, 3 validator on the vertex page,
// 4 validator on the fragment page, 5 save as, 6 driver check of the vertex page,
// 7 driver check of the fragment page, 8 about, 9 driver check of both pages.
// Tab images: 0 the vertex page, 1 the fragment page.
//
// An index outside the list gives a null icon.
QIcon ToolbarIcon(int index);
int ToolbarIconCount();

QIcon TabSheetIcon(int index);
int TabSheetIconCount();
