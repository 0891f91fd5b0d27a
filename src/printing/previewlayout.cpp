#include "previewlayout.h"

#include <algorithm>

PreviewLayout layOutPreview(const PreviewLayoutInput& in) {
    PreviewLayout l;
    const int W = in.width;
    const int H = in.height;
    l.hScroll =
        QRect(0, H - in.hScrollHeight - in.statusHeight, W - in.vScrollWidth, in.hScrollHeight);
    l.vScroll =
        QRect(W - in.vScrollWidth, 0, in.vScrollWidth, H - in.hScrollHeight - in.statusHeight);
    int availableWidth = W - in.vScrollWidth;
    int availableHeight = H - in.hScrollHeight - in.statusHeight;
    int left = 0;
    int top = 0;
    if (in.sheetHeight + in.hScrollHeight < H - in.statusHeight) {
        top = (H - in.hScrollHeight - in.sheetHeight) / 2;
        l.vScrollVisible = false;
        availableWidth += in.vScrollWidth;
        l.hScroll.setWidth(W);
    }
    if (in.sheetWidth + in.vScrollWidth < W) {
        left = (W - in.vScrollWidth - in.sheetWidth) / 2;
        l.hScrollVisible = false;
        availableHeight += in.hScrollHeight;
        l.vScroll.setHeight(H - in.statusHeight);
    }
    const int viewWidth = std::max(0, std::min(availableWidth, in.sheetWidth));
    const int viewHeight = std::max(0, std::min(availableHeight, in.sheetHeight));
    l.view = QRect(left, top, viewWidth, viewHeight);
    l.x0 = (in.sheetWidth - viewWidth) * in.hValue / ScrollMax;
    l.y0 = (in.sheetHeight - viewHeight) * in.vValue / ScrollMax;
    return l;
}
