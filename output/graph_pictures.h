#pragma once
// The pictures of the Line Width and Point Style boxes, drawn by our own
// code: five lines of growing width, and the chart's fourteen markers.
#include <QIcon>
#include <QSize>

#include <vector>

inline constexpr QSize kLinePictureSize(64, 14);
inline constexpr QSize kPointPictureSize(16, 16);

// Pictures 1 to 5 of the line widths at [0] to [4]: index i draws a pen of
// 10 * i twips, as the graph does.
std::vector<QIcon> lineWidthPictures();
// Pictures 1 to 14 of the marker styles 0 to 13 at [0] to [13].
std::vector<QIcon> pointStylePictures();
