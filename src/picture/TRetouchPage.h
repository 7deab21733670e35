// The "Retouch" tab's content.
#pragma once

#include <QWidget>
#include <functional>

class FormHost;

class TRetouchPage : public QWidget {
    Q_OBJECT
public:
    explicit TRetouchPage(FormHost& host, QWidget* parent = nullptr);

    // What "Save as..." of the "File" menu does (the Scan tab's picture save).
    void setSavePictureAction(std::function<void()> action);
    void repaintView();

private:
    FormHost& host_;
    std::function<void()> savePicture_;
};
