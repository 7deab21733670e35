// The "Scan" tab's content: picture file buttons, picture information, thumbnail, scan pair.
#pragma once

#include <QString>
#include <QWidget>

class FormHost;
class HoverImageButton;
class QLineEdit;
class QPushButton;
class TDepthChangeForm;
class TPdfPageForm;
class TDepthDownForm;
class TResizeForm;

class TScanPage : public QWidget {
    Q_OBJECT
public:
    explicit TScanPage(FormHost& host, QWidget* parent = nullptr);

    void OpenPicBtnClick();
    void SaveBtnClick();
    void SelectButtonClick();
    void ScanButtonClick();
    // BreitED, HochED and Tief from the document's picture.
    void showPictureInfo();
    void repaintPreview();
    // Draws the thumbnail onto PrevPaintBox; the box's paint event calls it.
    void PrevPaintBoxPaint();
    // "Colors..." and "Size...": the picture's colour depth and size (TScanPageColorsSize.cpp).
    void FTiefeBtnClick();
    void SizeBtnClick();

    QPushButton* OpenBtn = nullptr;
    QPushButton* SaveBtn = nullptr;
    QLineEdit* BreitED = nullptr;
    QLineEdit* HochED = nullptr;
    QLineEdit* Tief = nullptr;
    QWidget* PrevPaintBox = nullptr;
    HoverImageButton* ScanBtn = nullptr;
    HoverImageButton* TSetupBtn = nullptr;
    QPushButton* FTiefeBtn = nullptr;
    QPushButton* SizeBtn = nullptr;
    TDepthChangeForm* DepthChangeForm = nullptr;
    TDepthDownForm* DepthDownForm = nullptr;
    TResizeForm* ResizeForm = nullptr;
    TPdfPageForm* PdfPageForm = nullptr;

private:
    // Makes the "Colors..." and "Size..." buttons and their dialogs.
    void buildColorsAndSize();
    // A PDF file opened as the picture: a page of it at a resolution the user picks, with the
    // form size from the page and the PDF kept in the form.
    void openPdfPage(const QString& fileName);

    FormHost& host_;
    QString openFilter_;
    // The dialogs reopen where the user left them.
    QString lastOpenName_;
    QString lastSaveName_;
    int lastSaveFilterIndex_ = 1;
};
