// The "Retouch" tab's content.
#pragma once

#include <QWidget>
#include <functional>

class FormHost;
class QAction;
class QMenu;
class QToolButton;

class TRetouchPage : public QWidget {
    Q_OBJECT
public:
    explicit TRetouchPage(FormHost& host, QWidget* parent = nullptr);

    // What "Save as..." of the "File" menu does (the Scan tab's picture save).
    void setSavePictureAction(std::function<void()> action);
    void repaintView();

    // Opens DateiPopup below the "File" button, its left edges flush.
    void DateiButtonClick();
    // Where DateiButtonClick opens the menu: the button's lower-left corner on the screen.
    QPoint fileMenuPosition() const;

    QToolButton* DateiButton = nullptr;
    QMenu* DateiPopup = nullptr;
    QAction* Speichernunter1 = nullptr;

private:
    FormHost& host_;
    std::function<void()> savePicture_;
};
