#include "installer/linux/InstallerWindows.h"

#include "installer/InstallPaths.h"
#include "installer/InstallTexts.h"
#include "installer/linux/InstallerMessages.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace installer {

namespace {

// The Win32 windows are 520 x 360 with a fixed frame; the controls are placed in the client
// area that leaves.
constexpr int kClientWidth = kWindowWidth - 2 * 3;
constexpr int kClientHeight = kWindowHeight - 22 - 2 * 3;

QFont windowFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// Both windows are 520 x 360 in the middle of the screen, with a heading on white, two
// separator lines and "Next >" / "Cancel" at the bottom right.
void buildFrame(QWidget* window, const QString& heading, bool headingEdge)
{
    window->setWindowTitle(QString::fromLatin1(kWindowTitle));
    window->setFixedSize(kClientWidth, kClientHeight);
    // The small font of the Win32 windows, at the size its bitmap face shows there.
    window->setFont(windowFont(11, false));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        window->move((area.width() - kWindowWidth) / 2, (area.height() - kWindowHeight) / 2);
    }
    auto* label = new QLabel(heading, window);
    label->setObjectName(QStringLiteral("heading"));
    label->setGeometry(-1, -1, kClientWidth + 1, 49);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setWordWrap(true);
    label->setFont(windowFont(18, true));
    label->setAutoFillBackground(true);
    label->setStyleSheet(QStringLiteral("background: white;"));
    if (headingEdge)
        label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    for (int y : {279, 49}) {
        auto* line = new QFrame(window);
        line->setFrameStyle(QFrame::HLine | QFrame::Sunken);
        line->setGeometry(0, y, kClientWidth, 2);
    }
}

QPushButton* bottomButton(QWidget* window, const char* text, int fromRight)
{
    auto* button = new QPushButton(QString::fromLatin1(text), window);
    button->setGeometry(kClientWidth - fromRight, 290, 89, 25);
    return button;
}

QLabel* labelAt(QWidget* window, const QString& text, int x, int y, int width, int height)
{
    auto* label = new QLabel(text, window);
    label->setGeometry(x, y, width, height);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

ProgressWindow::ProgressWindow(InstallerMessages& messages, QWidget* owner)
    : QWidget(owner, Qt::Window), messages_(messages)
{
    buildFrame(this, QString::fromLatin1(kProgressHeading), false);
    status_ = labelAt(this, QString(), 10, 70, kClientWidth - 20, 200);
    status_->setObjectName(QStringLiteral("status"));
    status_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    status_->setWordWrap(true);
    status_->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    status_->setAutoFillBackground(true);
    status_->setStyleSheet(QStringLiteral("background: white;"));
    bottomButton(this, kNextButton, 194)->setEnabled(false);
    bottomButton(this, kCancelButton, 97)->setEnabled(false);
}

void ProgressWindow::setStatus(const std::string& text)
{
    status_->setText(displayText(text));
    // The run doesn't return to the event loop while it copies; the status must still show.
    status_->repaint();
}

void ProgressWindow::setWaitCursor(bool wait)
{
    if (wait)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

void ProgressWindow::showCopyError(const std::string& text)
{
    messages_.information(nullptr, displayText(text), QString());
}

void ProgressWindow::showCompletion(const std::string& text)
{
    messages_.information(this, displayText(text), QString::fromLatin1(kFinishedCaption));
}

void ProgressWindow::closeProgress()
{
    close();
}

QString ProgressWindow::statusText() const
{
    return status_->text();
}

WelcomeWindow::WelcomeWindow(InstallScript script, std::string installerFolder, InstallSystem& system,
                             InstallFiles& files, InstallerMessages& messages)
    : script_(std::move(script)), system_(system), files_(files), messages_(messages)
{
    buildFrame(this, QString::fromLatin1(kWelcomePrefix) + QString::fromStdString(script_.productName) + '!', true);
    labelAt(this, QString::fromLatin1(kSourceLabel), 8, 64, 150, 21);
    labelAt(this, QString::fromLatin1(kDestinationLabel), 8, 88, 150, 21);
    labelAt(this, displayText(kNote), 8, 224, 503, 53)->setWordWrap(true);
    source_ = new QLineEdit(QString::fromStdString(installerFolder), this);
    source_->setGeometry(160, 64, 347, 21);
    source_->setReadOnly(true);
    destination_ = new QLineEdit(QString::fromStdString(script_.defaultDestination), this);
    destination_->setGeometry(160, 88, 347, 21);
    auto* browse = new QPushButton(QString::fromLatin1(kBrowseButton), this);
    browse->setGeometry(160, 115, 89, 25);
    desktopCheck_ = new QCheckBox(QString::fromLatin1(kDesktopCheck), this);
    desktopCheck_->setGeometry(8, 150, 300, 21);
    desktopCheck_->setFont(QApplication::font());
    desktopCheck_->setChecked(true);
    startCheck_ = new QCheckBox(QString::fromLatin1(kStartCheck), this);
    startCheck_->setGeometry(8, 171, 300, 21);
    startCheck_->setFont(QApplication::font());
    startCheck_->setChecked(true);
    QPushButton* next = bottomButton(this, kNextButton, 194);
    next->setDefault(true);
    QPushButton* cancel = bottomButton(this, kCancelButton, 97);

    connect(browse, &QPushButton::clicked, this, &WelcomeWindow::BrowseBtnClick);
    connect(next, &QPushButton::clicked, this, &WelcomeWindow::NextBtnClick);
    connect(cancel, &QPushButton::clicked, this, &WelcomeWindow::CancelBtnClick);
}

void WelcomeWindow::BrowseBtnClick()
{
    const QString chosen = messages_.chooseFolder(this, QString::fromLatin1(kBrowseTitle));
    if (chosen.isEmpty())
        return;
    destination_->setText(QString::fromStdString(
        destinationFromBrowse(chosen.toStdString(), script_.folderName, system_.separator())));
}

void WelcomeWindow::NextBtnClick()
{
    runInstallation(false);
}

void WelcomeWindow::CancelBtnClick()
{
    if (messages_.question(this, QString::fromLatin1(kQuitQuestion), QString::fromLatin1(kQuitCaption))) {
        close();
        emit finished();
    }
}

void WelcomeWindow::runSilent()
{
    runInstallation(true);
}

void WelcomeWindow::runInstallation(bool silent)
{
    RunChoices choices;
    choices.sourceText = source_->text().toStdString();
    choices.destinationText = destination_->text().toStdString();
    choices.desktopWanted = desktopCheck_->isChecked();
    choices.startWanted = startCheck_->isChecked();
    choices.silent = silent;
    if (!fitsFolderText(choices.destinationText)) {
        messages_.information(this, QString::fromLatin1(kDestinationTooLong), QString());
        return;
    }
    hide();
    ProgressWindow progress(messages_, this);
    progress.show();
    QApplication::processEvents();
    installer::runInstallation(script_, choices, system_, files_, progress);
    progress.close();
    emit finished();
}

} // namespace installer
