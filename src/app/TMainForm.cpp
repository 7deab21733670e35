#include "app/TMainForm.h"

#include "app/TAboutBox.h"
#include "app/TStatusProgress.h"
#include "editor/TFieldsPage.h"
#include "picture/DrawDib.h"
#include "picture/TRetouchPage.h"
#include "picture/TScanPage.h"
#include "platform/Controls.h"
#include "platform/Headline.h"
#include "platform/HoverImageButton.h"
#include "platform/ProgramData.h"
#include "platform/ProgramPictures.h"
#include "platform/QtPrompts.h"
#include "platform/Settings.h"
#include "platform/Shell.h"
#include "platform/WindowMessages.h"
#include "print/TFillOutPage.h"
#include "print/TFormSizePage.h"
#include "print/TPrintPage.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QScreen>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>
#include <ctime>

namespace {

const QColor kPanelGreen(192, 220, 192);
const QColor kMaroon(128, 0, 0);

struct TabLook {
    const char* caption;
    const char* icon;
    const char* panelText;  // null: no left panel
    const char* headline;   // null: the page shows its own headline
};

const TabLook kTabs[6] = {
    {"Scan", "tab_scan", "Scan\npaper form...", "Scan form"},
    {"Retouch", "tab_retouch", "Retouch picture...", "Retouch - select area and crop to selection"},
    {"Set form size", "tab_formsize", "Set form size...", nullptr},
    {"Form fields", "tab_fields", "Create form fields...",
     "Form fields - create and rename form fields - popup menu: right mouse button"},
    {"Fill out the form", "tab_fill", nullptr, "Fill out the form - click on \"Overtake\" and then enter the texts"},
    {"Print", "tab_print", "Print the form now!", "Print - choose what to print and click on \"Go!\""},
};

constexpr int kFieldsTab = 3;
constexpr int kFillOutTab = 4;

QWidget* makeLeftPanel(const TabLook& look)
{
    auto* panel = new QWidget;
    panel->setObjectName("leftPanel");
    setBackground(panel, kPanelGreen);
    panel->setFixedWidth(112);

    auto* picture = new QLabel;
    picture->setPixmap(programPicture(look.icon, QSize(64, 64)));
    picture->setAlignment(Qt::AlignCenter);

    auto* caption = new QLabel(QString::fromUtf8(look.panelText));
    caption->setObjectName("panelCaption");
    QFont font(QStringLiteral("Arial Black"));
    font.setPixelSize(19);
    font.setWeight(QFont::Black);
    caption->setFont(font);
    caption->setWordWrap(true);
    caption->setAlignment(Qt::AlignCenter);
    caption->setMargin(4);
    setBackground(caption, kHeadlinePeach);
    QPalette palette = caption->palette();
    palette.setColor(QPalette::WindowText, kMaroon);
    caption->setPalette(palette);

    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(4, 12, 4, 12);
    layout->setSpacing(12);
    layout->addWidget(picture);
    layout->addWidget(caption);
    layout->addStretch();
    return panel;
}

}  // namespace

QString helpFileIn(const QString& programDir)
{
    const QString helpFile = programDir + QStringLiteral("velmoraeng.chm");
    if (QFileInfo(helpFile).isFile())
        return helpFile;
    return programDataFile(programDir, QStringLiteral("manual/index.html"));
}

TMainForm::TMainForm(const QStringList& arguments, std::unique_ptr<Prompts> prompts, QWidget* parent)
    : QMainWindow(parent), prompts_(std::move(prompts)), arguments_(arguments)
{
    if (!prompts_)
        prompts_ = std::make_unique<QtPrompts>(this);
    reportDrawDibThrough(*prompts_);
    FormCreate();
    AboutBox = new TAboutBox(this);
}

TMainForm::~TMainForm()
{
    setDrawDibReporter({});
    // Destroying the pages moves the focus; the window is no longer whole enough to be asked.
    disconnect(focusWatch_);
    document_.clearFields();
    document_.clearRecords();
    document_.picture.reset();
}

void TMainForm::FormCreate()
{
    setWindowTitle(QStringLiteral("Velmora-Quillery 4.5"));
    setWindowIcon(programIcon(QStringLiteral("velmora")));
    resize(670, 523);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));

    ProgramDir = QCoreApplication::applicationDirPath();
    if (!ProgramDir.endsWith(u'/'))
        ProgramDir += u'/';
    std::srand(unsigned(std::time(nullptr)));

    scanPage_ = new TScanPage(*this);
    retouchPage_ = new TRetouchPage(*this);
    formSizePage_ = new TFormSizePage(*this);
    fieldsPage_ = new TFieldsPage(*this);
    printPage_ = new TPrintPage(*this);
    retouchPage_->setSavePictureAction([this] { scanPage_->SaveBtnClick(); });
    fillOutPage_ = new TFillOutPage(*this);
    buildLayout();
    history_.setViews({[this](FormParts parts, int recordNumber) { showRestored(parts, recordNumber); },
                       [this] { return fillOutPage_->currentRecordNumber(); },
                       [this](const QString& text) { showStatusText(text); }});

    formSizePage_->FBreitEdinChange();
    const Dib& picture = document_.picture.get();
    selection_ = SelectionRect{0, 0, DibWidth(picture) - 1, DibHeight(picture) - 1};
    formSizePage_->documentChanged();
    loadScreenCursors();
}

void TMainForm::buildLayout()
{
    auto* central = new QWidget;
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);

    auto* newButton = toolButton({.text = QStringLiteral("New"), .hint = QStringLiteral("Create new form"), .minimumWidth = 72});
    auto* openButton = toolButton({.text = QStringLiteral("Open..."), .hint = QStringLiteral("Open form..."), .minimumWidth = 72});
    auto* saveButton = toolButton({.text = QStringLiteral("Save as..."), .hint = QStringLiteral("Save form as..."), .minimumWidth = 72});
    newButton->setObjectName("NewBtn");
    openButton->setObjectName("OpenBtn");
    saveButton->setObjectName("SaveAsBtn");
    connect(newButton, &QToolButton::clicked, this, &TMainForm::NewBtnClick);
    connect(openButton, &QToolButton::clicked, this, &TMainForm::OpenBtnClick);
    connect(saveButton, &QToolButton::clicked, this, &TMainForm::SaveAsBtnClick);
    auto* documentBar = new QHBoxLayout;
    documentBar->setSpacing(0);
    documentBar->addWidget(newButton);
    documentBar->addWidget(openButton);
    documentBar->addWidget(saveButton);
    buildUndoControls(documentBar);
    documentBar->addStretch();
    layout->addLayout(documentBar);

    PageControl1 = new QTabWidget;
    PageControl1->setObjectName("PageControl1");
    PageControl1->setIconSize(QSize(16, 16));
    QWidget* contents[6] = {scanPage_, retouchPage_, formSizePage_, fieldsPage_, fillOutPage_, printPage_};
    for (int i = 0; i < 6; ++i) {
        QWidget* tab = makeTab(i, contents[i]);
        PageControl1->addTab(tab, programIcon(kTabs[i].icon), QString::fromUtf8(kTabs[i].caption));
    }
    fieldsTab_ = PageControl1->widget(kFieldsTab);
    layout->addWidget(PageControl1, 1);
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == kFillOutTab || index == kFieldsTab)
            warnIfFieldsChanged();
    });
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, [this](QWidget* old, QWidget* now) {
        auto inFieldsTab = [this](const QWidget* widget) {
            return widget && (widget == fieldsTab_ || fieldsTab_->isAncestorOf(widget));
        };
        // Only a move from another control of this window enters the tab: the focus that comes back
        // from the tab's own dialogs or from another program comes from no widget or another window.
        const bool fromThisWindow = old && old->window() == this && !inFieldsTab(old);
        if (fromThisWindow && inFieldsTab(now))
            warnIfFieldsChanged();
    });

    ueberbtn = makeHoverImageButton(QStringLiteral("ueberbtn"), QStringLiteral("ueberBtn2"),
                                    QStringLiteral("Information about the program"));
    HilfeBtn = makeHoverImageButton(QStringLiteral("HilfeBtn"), QStringLiteral("HilfeBtn2"),
                                    QStringLiteral("Click here if you need help!"));
    EndeBtn = makeHoverImageButton(QStringLiteral("EndeBtn"), QStringLiteral("EndeBtnDown"),
                                   QStringLiteral("You leave the program."));
    connect(ueberbtn, &HoverImageButton::clicked, this, &TMainForm::InfoBtnClick);
    connect(HilfeBtn, &HoverImageButton::clicked, this, &TMainForm::HelpBtnClick);
    connect(EndeBtn, &HoverImageButton::clicked, this, &TMainForm::QuitBtnClick);
    auto* bottomBar = new QHBoxLayout;
    bottomBar->addStretch();
    bottomBar->addWidget(ueberbtn);
    bottomBar->addWidget(HilfeBtn);
    bottomBar->addWidget(EndeBtn);
    layout->addLayout(bottomBar);

    setCentralWidget(central);

    StatusBar1 = new TStatusProgress;
    StatusBar1->setObjectName("StatusBar1");
    statusBar()->setSizeGripEnabled(false);
    statusBar()->addWidget(StatusBar1, 1);
}

QWidget* TMainForm::makeTab(int index, QWidget* content)
{
    const TabLook& look = kTabs[index];
    auto* tab = new QWidget;
    auto* row = new QHBoxLayout(tab);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    if (look.panelText)
        row->addWidget(makeLeftPanel(look));
    auto* column = new QVBoxLayout;
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    if (look.headline) {
        QLabel* headline = makeHeadline(QString::fromUtf8(look.headline));
        headline->setObjectName("headline");
        column->addWidget(headline);
    }
    column->addWidget(content, 1);
    row->addLayout(column, 1);
    return tab;
}

void TMainForm::SetProStatus(int percent)
{
    // A value outside 0..100 would draw past the part or backwards.
    percent = std::clamp(percent, 0, 100);
    // A sentence from the last work covers the bar; new work shows its progress again.
    if (percent > 0)
        statusBar()->clearMessage();
    if (percent < ProgressPercent) {
        ProgressPercent = percent;
        StatusBar1->redrawAll(ProgressPercent);
    } else {
        ProgressPercent = percent;
        StatusBar1->extendBar(ProgressPercent);
    }
}

void TMainForm::showStatusText(const QString& text) { statusBar()->showMessage(text); }

void TMainForm::WMUser(int percent) { SetProStatus(percent); }

bool TMainForm::event(QEvent* event)
{
    if (event->type() == kWmUserEvent) {
        WMUser(int(static_cast<WindowMessageEvent*>(event)->wParam));
        return true;
    }
    if (event->type() == kWmUser1Event) {
        WMUser2(static_cast<WindowMessageEvent*>(event)->wParam);
        return true;
    }
    return QMainWindow::event(event);
}

void TMainForm::repaintPictureViews()
{
    scanPage_->repaintPreview();
    fieldsPage_->pictureChanged();
    formSizePage_->repaintView();
    retouchPage_->repaintView();
}

void TMainForm::showTab(int index) { PageControl1->setCurrentIndex(index); }

int TMainForm::currentRecordNumber() const { return fillOutPage_->currentRecordNumber(); }
void TMainForm::setCurrentRecordNumber(int number) { fillOutPage_->setCurrentRecordNumber(number); }

double TMainForm::printerMmPerInchX() const { return printPage_->PrinterMmPerInchX; }

void TMainForm::warnIfFieldsChanged()
{
    if (!FieldsChanged)
        return;
    // Cleared first: the message box moves the focus, which would ask again.
    FieldsChanged = false;
    prompts_->message(QStringLiteral("If you have changed the form fields you have to click on \"Overtake\" now!"),
                      QStringLiteral("WARNING: the form fields could be changed!"), MsgIcon::Information,
                      MsgButtons::Ok);
}

void TMainForm::NewBtnClick()
{
    if (prompts_->message(QStringLiteral("Be sure to save the form before leaving the program."),
                          QStringLiteral("Create new form"), MsgIcon::Question, MsgButtons::YesNo) != MsgAnswer::Yes)
        return;
    document_.resetForNew();
    const Dib& picture = document_.picture.get();
    selection_ = SelectionRect{0, 0, DibWidth(picture) - 1, DibHeight(picture) - 1};
    repaintPictureViews();
    formSizePage_->documentChanged();
    fieldsPage_->documentChanged();
    fillOutPage_->documentChanged();
    FieldsChanged = false;
    scanPage_->showPictureInfo();
    history_.clear();
}

void TMainForm::InfoBtnClick() { AboutBox->exec(); }

void TMainForm::HelpBtnClick()
{
    const QString file = helpFileIn(ProgramDir);
    // A desktop without a program for the manual's kind of file would otherwise do nothing at all.
    if (!file.isEmpty() && !shellOpen(file))
        prompts_->message(QStringLiteral("No program on this computer opens the manual. Open the file \"%1\" yourself.")
                              .arg(QDir::toNativeSeparators(file)),
                          QStringLiteral("Help"), MsgIcon::Information, MsgButtons::Ok);
}

void TMainForm::QuitBtnClick() { close(); }

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TMainForm::FormShow()
{
    if (!shownBefore_) {
        shownBefore_ = true;
        restoreSettings();
        if (arguments_.size() > 1 && !OpenFORM(arguments_[1]))
            showError(*prompts_, QStringLiteral("Form ") + arguments_[1] + QStringLiteral(" can not be created."));
    }
    printPage_->derivePrinterFactors();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (prompts_->message(QStringLiteral("You leave the program now. Be sure that everything is saved."),
                          QStringLiteral("Quit program"), MsgIcon::Information, MsgButtons::OkCancel) != MsgAnswer::Ok) {
        event->ignore();
        return;
    }
    saveSettings();
    event->accept();
}

void TMainForm::restoreSettings()
{
    const auto settings = openProgramSettings();
    settings->beginGroup(QStringLiteral("MainWindow"));
    const QRect stored(settings->value(QStringLiteral("Left"), x()).toInt(), settings->value(QStringLiteral("Top"), y()).toInt(),
                       settings->value(QStringLiteral("Width"), width()).toInt(),
                       settings->value(QStringLiteral("Height"), height()).toInt());
    settings->endGroup();
    if (stored.width() > 0 && stored.height() > 0)
        placeOnScreen(stored);
    formSizePage_->loadSettings(*settings);
    fieldsPage_->loadSettings(*settings);
    printPage_->loadSettings(*settings);
}

void TMainForm::placeOnScreen(const QRect& stored)
{
    // The frame's position and the client's size, as saveSettings stores them. A place on a
    // screen no longer attached, or partly beyond the screen's edge (the bar of buttons at the
    // bottom or the title above), is moved onto the nearest screen as a whole.
    const QScreen* screen = QGuiApplication::screenAt(stored.center());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    resize(stored.size());
    if (!screen) {
        move(stored.topLeft());
        return;
    }
    const QRect area = screen->availableGeometry();
    const QMargins frame(geometry().left() - frameGeometry().left(), geometry().top() - frameGeometry().top(),
                         frameGeometry().right() - geometry().right(), frameGeometry().bottom() - geometry().bottom());
    const QSize outer = stored.size().grownBy(frame);
    const int x = std::clamp(stored.x(), area.left(), std::max(area.left(), area.right() + 1 - outer.width()));
    const int y = std::clamp(stored.y(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height()));
    move(x, y);
}

void TMainForm::saveSettings()
{
    const auto settings = openProgramSettings();
    settings->beginGroup(QStringLiteral("MainWindow"));
    settings->setValue(QStringLiteral("Left"), x());
    settings->setValue(QStringLiteral("Top"), y());
    settings->setValue(QStringLiteral("Width"), width());
    settings->setValue(QStringLiteral("Height"), height());
    settings->endGroup();
    formSizePage_->saveSettings(*settings);
    fieldsPage_->saveSettings(*settings);
    printPage_->saveSettings(*settings);
}
