// The "Scan" tab's content: picture file buttons, picture information, thumbnail, scan pair.
#pragma once

#include <QWidget>

class FormHost;

class TScanPage : public QWidget {
    Q_OBJECT
public:
    explicit TScanPage(FormHost& host, QWidget* parent = nullptr);

    void OpenPicBtnClick();
    void SaveBtnClick();
    // BreitED, HochED and Tief from the document's picture.
    void showPictureInfo();
    void repaintPreview();

private:
    FormHost& host_;
};
