// "Open a PDF page": which page of a PDF file becomes the form's picture, and at how many pixels
// per inch. The page box appears only for files of more than one page.
#pragma once

#include <QDialog>

class PdfFile;
class QLabel;
class QPushButton;
class QSpinBox;

class TPdfPageForm : public QDialog {
    Q_OBJECT
public:
    explicit TPdfPageForm(QWidget* parent = nullptr);

    // Before each showing: the file's pages; the page starts at 1, the resolution where the
    // user left it.
    void prepareFor(const PdfFile& pdf);
    int page() const;
    int ppi() const;

    QSpinBox* PageEdit = nullptr;
    QSpinBox* PpiEdit = nullptr;
    QLabel* SizeLabel = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;

private:
    // The page's size and the picture's pixels for the current choices.
    void showSize();

    QLabel* PageLabel = nullptr;
    const PdfFile* pdf_ = nullptr;
};
