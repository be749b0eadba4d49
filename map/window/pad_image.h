// img4Way: the scroll and zoom pad, a small picture drawn by the program itself.
#pragma once

#include <QPixmap>
#include <QWidget>

namespace corv {

class PadImage : public QWidget {
    Q_OBJECT
public:
    explicit PadImage(QWidget* parent);
    // The pad's picture: a cross of arrows with a centre dot on the left two thirds,
    // zoom in (+) above zoom out (-) on the right third.
    static QPixmap padPicture(QSize size);

signals:
    // Any button; x and y in twips inside the pad.
    void mouseUp(int button, int shift, float x, float y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QPixmap picture_;
};

}  // namespace corv
