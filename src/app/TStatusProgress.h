// The one owner-drawn part of the status bar: a navy bar whose length shows the progress.
// It keeps what it drew, so a rising value can be drawn on top without erasing, the way a
// window draws straight into its device context.
#pragma once

#include <QImage>
#include <QWidget>

class TStatusProgress : public QWidget {
    Q_OBJECT
public:
    explicit TStatusProgress(QWidget* parent = nullptr);

    // Erases the part and draws the bar for percent, at once.
    void redrawAll(int percent);
    // Draws the bar for percent into the rectangle the part had when it was last drawn in full,
    // over what is there, at once.
    void extendBar(int percent);

    int percent() const { return percent_; }
    // The part's rectangle as last drawn in full.
    QRect lastRect() const { return lastRect_; }
    // What the part shows now.
    QImage shownImage() const { return surface_; }

    static QColor barColor() { return QColor(0, 0, 128); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void drawBar(const QRect& rect);
    void redrawSurface();

    int percent_ = 0;
    QImage surface_;
    QRect lastRect_;
};
