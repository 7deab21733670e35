// The "Set form size" tab's content: easy mode and extended mode.
#pragma once

#include <QWidget>

class FormHost;
class QSettings;

class TFormSizePage : public QWidget {
    Q_OBJECT
public:
    explicit TFormSizePage(FormHost& host, QWidget* parent = nullptr);

    // Derives the easy-mode height from the width when "Maintain aspect ratio" is on; called
    // after start-up and after a picture is opened, a form file is opened, a resize or a crop.
    void FBreitEdinChange();
    // Shows the document's form-size values (after an open or "New") and fills the distance
    // boxes from the chosen point.
    void documentChanged();
    // Repaints the point view.
    void repaintView();
    // The easy-mode width, height and "Maintain aspect ratio", kept between runs.
    void loadSettings(QSettings& settings);
    void saveSettings(QSettings& settings) const;

private:
    FormHost& host_;
};
