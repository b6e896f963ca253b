#include "ui/help_about.h"

#include "i18n/language_select.h"
#include "platform/input_file.h"
#include "platform/message_boxes.h"
#include "platform/version_record.h"
#include "ui/sheet_pages.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QRegularExpression>
#include <QStringConverter>
#include <QStyle>
#include <QTextStream>
#include <QVBoxLayout>

namespace ui {

namespace {

QTextBrowser* borderlessBrowser(QWidget* parent, const QString& name) {
    auto* view = new QTextBrowser(parent);
    view->setObjectName(name);
    view->setFrameShape(QFrame::NoFrame);
    view->setOpenExternalLinks(true);
    return view;
}

TabSheet* tabSheet(QTabWidget* tabs, const QString& name, const QString& caption) {
    auto* sheet = new TabSheet;
    sheet->setObjectName(name);
    sheet->setCaption(caption);
    tabs->addTab(sheet, caption);
    return sheet;
}

QString withLineFeeds(const QString& text) {
    QString result = text;
    result.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    result.replace(u'\r', u'\n');
    return result;
}

void loadDocument(QTextBrowser& view, const QString& path, const QByteArray& bytes) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    const bool html = suffix == QStringLiteral("html") || suffix == QStringLiteral("htm");
    const QStringConverter::Encoding encoding =
        html ? QStringConverter::encodingForHtml(bytes).value_or(QStringConverter::Utf8)
             : QStringConverter::encodingForData(bytes).value_or(QStringConverter::Utf8);
    QStringDecoder decoder(encoding);
    const QString text = decoder.decode(bytes);
    // Relative links and pictures of the document are found beside it.
    view.document()->setBaseUrl(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    if (html || Qt::mightBeRichText(text))
        view.setHtml(text);
    else
        view.setPlainText(text);
}

} // namespace

THelpAbout::THelpAbout(QString programDir, platform::MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), programFolder(std::move(programDir)), boxes(boxes) {
    setObjectName(QStringLiteral("HelpAbout"));
    setWindowTitle(QStringLiteral("About"));
    resize(640, 420);

    PageControlVersionInfo = new QTabWidget(this);
    PageControlVersionInfo->setObjectName(QStringLiteral("PageControlVersionInfo"));

    TabSheetVersionInfo = tabSheet(PageControlVersionInfo, QStringLiteral("TabSheetVersionInfo"),
                                   QStringLiteral("Version Info"));
    Panel2 = new Panel(TabSheetVersionInfo);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setBackgroundRole(QPalette::Base);
    Panel2->setAutoFillBackground(true);
    Memo1 = new QTextEdit(Panel2);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setAcceptRichText(false);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setFixedHeight(62);
    Memo1->setWordWrapMode(QTextOption::NoWrap);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont memoFont = Memo1->font();
    memoFont.setPointSize(10);
    Memo1->setFont(memoFont);
    Memo2 = borderlessBrowser(Panel2, QStringLiteral("Memo2"));
    auto* versionLayout = new QVBoxLayout(Panel2);
    versionLayout->addWidget(Memo1);
    versionLayout->addWidget(Memo2, 1);
    auto* versionPage = new QVBoxLayout(TabSheetVersionInfo);
    versionPage->setContentsMargins(0, 0, 0, 0);
    versionPage->addWidget(Panel2);

    TabSheetReadMe = tabSheet(PageControlVersionInfo, QStringLiteral("TabSheetReadMe"),
                              QStringLiteral("Read me"));
    Panel3 = new Panel(TabSheetReadMe);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    fileLines = borderlessBrowser(Panel3, QStringLiteral("fileLines"));
    fileLines->document()->setDocumentMargin(5);
    auto* readMeLayout = new QVBoxLayout(Panel3);
    readMeLayout->setContentsMargins(0, 0, 0, 0);
    readMeLayout->addWidget(fileLines);
    auto* readMePage = new QVBoxLayout(TabSheetReadMe);
    readMePage->setContentsMargins(0, 0, 0, 0);
    readMePage->addWidget(Panel3);

    TabSheetEulatext = tabSheet(PageControlVersionInfo, QStringLiteral("TabSheetEulatext"),
                                QStringLiteral("End-user licens agreement"));
    eulaLines = borderlessBrowser(TabSheetEulatext, QStringLiteral("eulaLines"));
    auto* eulaPage = new QVBoxLayout(TabSheetEulatext);
    eulaPage->setContentsMargins(0, 0, 0, 0);
    eulaPage->addWidget(eulaLines);

    Panel1 = new Panel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    BitBtn1 = new QPushButton(style()->standardIcon(QStyle::SP_DialogOkButton),
                              QStringLiteral("OK"), Panel1);
    BitBtn1->setObjectName(QStringLiteral("BitBtn1"));
    BitBtn1->setDefault(true);
    auto* buttonRow = new QHBoxLayout(Panel1);
    buttonRow->addStretch();
    buttonRow->addWidget(BitBtn1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControlVersionInfo, 1);
    layout->addWidget(Panel1);

    connect(BitBtn1, &QPushButton::clicked, this, &THelpAbout::BitBtn1Click);
    Memo1->viewport()->installEventFilter(this);
}

QString THelpAbout::translate(const QString& key) const {
    return language ? language->translate(key) : key;
}

void THelpAbout::setContentFile(const QString& filename) {
    fileContentFileName = QDir(programFolder).filePath(translate(filename));
}

void THelpAbout::setEulaText(const QString& filename) {
    const QString translated = translate(filename);
    fileEulaText = QDir(programFolder).filePath(translated.isEmpty() ? filename : translated);
}

void THelpAbout::addMultiLines(const QString& toAdd, QStringList& lines) {
    static const QRegularExpression lineBreak(QStringLiteral("\r\n|\r|\n"));
    QStringList pieces = toAdd.split(lineBreak);
    // A closing line break ends the last line; it does not start another one.
    if (pieces.last().isEmpty())
        pieces.removeLast();
    lines.append(pieces);
}

void THelpAbout::RegisterSheet(TabSheet* NewPage) {
    addSheet(*PageControlVersionInfo, *NewPage);
    PageControlVersionInfo->setCurrentWidget(TabSheetVersionInfo);
}

void THelpAbout::UnRegisterSheet(TabSheet* NewPage) {
    takeOutSheet(*PageControlVersionInfo, *NewPage, *this);
}

void THelpAbout::FormActivate() {
    setWindowTitle(translate(QStringLiteral("captionHelpAbout")));
    Memo1->clear();
    Memo2->clear();
    BitBtn1->setText(translate(QStringLiteral("buttonOK")));
    TabSheetVersionInfo->setCaption(translate(QStringLiteral("captionVersionInfo")));
    TabSheetReadMe->setCaption(translate(QStringLiteral("captionReadMe")));
    TabSheetEulatext->setCaption(translate(QStringLiteral("captionEula")));

    Memo1->setPlainText(platform::GetProductInfoString(versionRecord) + additionalVersionInfo +
                        u'\n' + QString(102, u'-'));
    QTextCursor all(Memo1->document());
    all.select(QTextCursor::Document);
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    all.mergeBlockFormat(centred);

    QStringList aboutLines;
    addMultiLines(platform::GetLegalNoticeString(versionRecord), aboutLines);
    aboutLines.append(QString());
    addMultiLines(platform::GetTrademarksString(versionRecord), aboutLines);
    aboutLines.append(QString());
    aboutLines.append(language ? language->translateBlock(QStringLiteral("helpAbout")) : QString());
    Memo2->setPlainText(withLineFeeds(aboutLines.join(u'\n')));

    showDocumentOrDropTab(fileEulaText, *eulaLines, *TabSheetEulatext);
    showDocumentOrDropTab(fileContentFileName, *fileLines, *TabSheetReadMe);
}

void THelpAbout::showDocumentOrDropTab(const QString& path, QTextBrowser& view, TabSheet& tab) {
    const platform::InputFile file = platform::readInputFile(path);
    if (file.status != platform::InputFile::Status::Read) {
        takeOutSheet(*PageControlVersionInfo, tab, *this);
        return;
    }
    loadDocument(view, path, file.bytes);
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
}

void THelpAbout::BitBtn1Click() {
    accept();
}

void THelpAbout::Memo1DblClick() {
    const platform::InputFile file =
        platform::readInputFile(QDir(programFolder).filePath(QStringLiteral("lastCommits.ini")));
    if (file.status != platform::InputFile::Status::Read)
        return;
    QTextStream stream(file.bytes);
    QString text;
    QString line;
    while (stream.readLineInto(&line))
        text += line + QStringLiteral("\n\r \n\r");
    boxes.messageBox(text, QStringLiteral("Change log"), platform::MessageBoxes::Icon::None,
                     platform::MessageBoxes::Buttons::Ok);
}

QStringList THelpAbout::linesOf(const QTextEdit& view) {
    return view.toPlainText().split(u'\n');
}

bool THelpAbout::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) {
        try {
            FormActivate();
        } catch (const std::exception& error) {
            // Nothing above an event handler could catch it.
            boxes.showMessage(QString::fromStdString(error.what()));
        }
    }
    return QDialog::event(event);
}

bool THelpAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Memo1->viewport() && event->type() == QEvent::MouseButtonDblClick)
        Memo1DblClick();
    return QDialog::eventFilter(watched, event);
}

} // namespace ui
