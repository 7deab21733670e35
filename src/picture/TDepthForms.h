// The two dialogs of the "Colors..." button: the colour count to change to, and the palette,
// mapping and Windows colours of a reduction.
#pragma once

#include "imageops/ColourDepth.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;
class QRadioButton;

class TDepthChangeForm : public QDialog {
    Q_OBJECT
public:
    explicit TDepthChangeForm(QWidget* parent = nullptr);

    QComboBox* ColorBox = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
};

// The item of ColorBox preselected for a depth, and the depth an item stands for.
int colorBoxItemFor(int bitsPerPixel);
int bitsForColorBoxItem(int item);

class TDepthDownForm : public QDialog {
    Q_OBJECT
public:
    explicit TDepthDownForm(QWidget* parent = nullptr);

    // Enables the controls for the target depth; the choices stay as the last use left them.
    void prepare(int targetBits);
    // Both palette radios: which functions and options the palette allows.
    void OptPalCheckClick();
    void StdPalCheckClick();
    // What the controls say, read whether enabled or not.
    DepthDownChoice choice() const;

    QRadioButton* OptPalCheck = nullptr;
    QRadioButton* StdPalCheck = nullptr;
    QRadioButton* NearCheck = nullptr;
    QRadioButton* DitherCheck = nullptr;
    QRadioButton* FSErrCheck = nullptr;
    QCheckBox* WinColCheck = nullptr;
    QPushButton* OkBtn = nullptr;
    QPushButton* CancelBtn = nullptr;
    bool eightBit = false;
};
