#include "import/frmAdd.h"

#include "core/Dialogs.h"
#include "core/IdRule.h"
#include "import/FileListBox.h"
#include "import/FileNames.h"
#include "skin/ListBox.h"
#include "skin/frmPlayer.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QStorageInfo>
#include <QStyle>
#include <QStyledItemDelegate>

namespace {
const QColor kButtonFace(0x3a, 0x5f, 0x8f);
const QString kSongStart = QStringLiteral("Song ID");
const QString kFolderStart = QStringLiteral("Folder ID");
constexpr int kRepaintEveryMs = 50;
constexpr int kPathRole = Qt::UserRole;      // a folder list entry's folder
constexpr int kDepthRole = Qt::UserRole + 1; // its depth below the root
constexpr int kIndentPixels = 12;

// Draws each folder list entry indented by its depth, so that the names stay plain text and
// typing a name finds it.
class IndentedEntries : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem indented(option);
        indented.rect.adjust(Indent(index), 0, 0, 0);
        QStyledItemDelegate::paint(painter, indented, index);
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return QStyledItemDelegate::sizeHint(option, index) + QSize(Indent(index), 0);
    }

private:
    static int Indent(const QModelIndex& index) {
        return index.data(kDepthRole).toInt() * kIndentPixels;
    }
};
constexpr int kMostPathsNamed = 10; // paths a message lists before it says "and n more"
} // namespace

frmAdd::frmAdd(frmPlayer& player) : player_(player) {
    setObjectName(QStringLiteral("frmAdd"));
    UseSkinColours(this);
    setWindowTitle(QStringLiteral("Jukora - Add Files"));
    setFixedSize(ToPixels(6240), ToPixels(5400));
    frmPlayer::MarkOwnWindow(this);
    BuildControls();
    tmrLoad.setInterval(100);
    connect(&tmrLoad, &QTimer::timeout, this, &frmAdd::tmrLoad_Timer);
    Load();
}

void frmAdd::BuildControls() {
    auto* imgBG = new SkinImage(this, QStringLiteral("imgBG"), TwipsRect(0, 0, 6240, 5400),
                                QColor(0x20, 0x24, 0x2c));
    connect(imgBG, &SkinImage::mouseMoved, this, &frmAdd::NoMouseOvers);

    Drive1 = new QComboBox(this);
    Drive1->setObjectName(QStringLiteral("Drive1"));
    PlaceTwips(Drive1, TwipsRect(240, 240, 2775, 315));
    Dir1 = new QListWidget(this);
    Dir1->setObjectName(QStringLiteral("Dir1"));
    PlaceTwips(Dir1, TwipsRect(240, 600, 2775, 3015));
    File1 = new FileListBox(this);
    File1->setObjectName(QStringLiteral("File1"));
    PlaceTwips(File1, TwipsRect(3120, 240, 2880, 3375));
    cmbPattern = new QComboBox(this);
    cmbPattern->setObjectName(QStringLiteral("cmbPattern"));
    cmbPattern->setEditable(true);
    PlaceTwips(cmbPattern, TwipsRect(3120, 3720, 2880, 315));
    cmbPattern->addItems({QStringLiteral("*.mp3; *.wav; *.wma"),
                          QStringLiteral("*.mpg; *.mpeg; *.avi; *.wmv"), QStringLiteral("*.vob")});

    imgAdd = MakeImagePair(this, QStringLiteral("imgAdd"), TwipsRect(240, 3840, 675, 675),
                           QStringLiteral("add file"), kButtonFace);
    imgAddAll = MakeImagePair(this, QStringLiteral("imgAddAll"), TwipsRect(1080, 3840, 675, 675),
                              QStringLiteral("add folder"), kButtonFace);
    imgBack = MakeImagePair(this, QStringLiteral("imgBack"), TwipsRect(1920, 3840, 675, 675),
                            QStringLiteral("cancel"), kButtonFace);
    for (ImagePair* pair : {&imgAdd, &imgAddAll, &imgBack})
        connect(pair->normal, &SkinImage::mouseMoved, this, [pair] { pair->Highlight(); });
    connect(imgAdd.over, &SkinImage::clicked, this, &frmAdd::imgAddOver_Click);
    connect(imgAddAll.over, &SkinImage::clicked, this, &frmAdd::imgAddAllOver_Click);
    connect(imgBack.over, &SkinImage::clicked, this, &frmAdd::imgBackOver_Click);

    imgCheck = new SkinImage(this, QStringLiteral("imgCheck"), TwipsRect(3120, 4200, 255, 255),
                             QColor(0xee, 0xee, 0xee));
    imgCheckChecked = new SkinImage(this, QStringLiteral("imgCheckChecked"),
                                    TwipsRect(3120, 4200, 255, 255), QColor(0x4c, 0xa0, 0x4c));
    connect(imgCheck, &SkinImage::clicked, this, [this] {
        imgCheck->hide();
        imgCheckChecked->show();
    });
    connect(imgCheckChecked, &SkinImage::clicked, this, [this] {
        imgCheckChecked->hide();
        imgCheck->show();
    });
    auto* Label4 = new QLabel(QStringLiteral("Hide this dialog after adding a folder"), this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setWordWrap(true); // two lines where the font is too wide for one
    Label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    PlaceTwips(Label4, TwipsRect(3480, 4170, 2640, 480));

    progress = new QProgressBar(this);
    progress->setObjectName(QStringLiteral("progress"));
    PlaceTwips(progress, TwipsRect(240, 4680, 5760, 255));
    progress->hide();
    progressText = new QLabel(this);
    progressText->setObjectName(QStringLiteral("progressText"));
    PlaceTwips(progressText, TwipsRect(240, 4980, 5760, 255));
    progressText->hide();

    connect(Drive1, &QComboBox::currentIndexChanged, this, &frmAdd::Drive1_Change);
    Dir1->setItemDelegate(new IndentedEntries(Dir1));
    Dir1->setIconSize(QSize(16, 16));
    connect(Dir1, &QListWidget::itemDoubleClicked, this, &frmAdd::OpenFolderItem);
    Dir1->installEventFilter(this);
    connect(cmbPattern, &QComboBox::editTextChanged, this, &frmAdd::cmbPattern_Change);
}

void frmAdd::Load() {
    NoMouseOvers();
    placed_ = false;
    lblEntryCount = kSongStart;
    lblEntryCount2 = kFolderStart;
    imgCheckChecked->show();
    imgCheck->hide();
    cmbPattern->setEditText(QStringLiteral("*.*"));
    File1->SetPattern(QStringLiteral("*.*"));
    FillDrives();
    for (RecordSource* source : {&datFolder, &datAdd}) {
        source->SetDatabaseName(player_.LibraryPath());
        try {
            source->Open();
        } catch (const StoreError&) {
            // a missing or unusable library leaves the sources closed; adding then fails
        }
    }
    loadTicks_ = 0;
    tmrLoad.start();
    loaded_ = true;
}

void frmAdd::Unload() {
    tmrLoad.stop();
    datAdd.Close();
    datFolder.Close();
    loaded_ = false;
    hide();
}

void frmAdd::FillDrives() {
    QStringList drives{QStringLiteral("/"), QDir::homePath()};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady() && !drives.contains(volume.rootPath()))
            drives << volume.rootPath();
    const QSignalBlocker quiet(Drive1);
    Drive1->clear();
    Drive1->addItems(drives);
    Drive1->setCurrentIndex(1); // the user's home
    SetDirPath(QDir::homePath());
}

void frmAdd::NoMouseOvers() {
    for (ImagePair* pair : {&imgAdd, &imgAddAll, &imgBack})
        pair->Restore();
}

void frmAdd::tmrLoad_Timer() {
    if (++loadTicks_ < 3)
        return;
    tmrLoad.stop();
    Command1_Click();
}

void frmAdd::Command1_Click() {
    try {
        datAdd.MoveLast();
        lblEntryCount = datAdd.IdentityText(datAdd.RecordCount() - 1);
        datAdd.MoveFirst();
        datFolder.MoveLast();
        lblEntryCount2 = datFolder.IdentityText(datFolder.RecordCount() - 1);
        datFolder.MoveFirst();
    } catch (const StoreError&) {
        // an empty table ends the load here
    }
}

void frmAdd::Drive1_Change() {
    // A drive that cannot be read leaves the folder list where it was.
    const QString drive = Drive1->currentText();
    if (QDir(drive).isReadable())
        SetDirPath(drive);
}

// The folder list shows where the user is: the chain of folders from the root down to the
// current folder (open folders, each indented one step more), then the current folder's own
// folders one step further in. Any of them opens with a double click or Enter.
void frmAdd::SetDirPath(const QString& path) {
    const QDir folder(path);
    if (!folder.isReadable())
        return;
    dirPath_ = QDir::cleanPath(folder.absolutePath());
    Dir1->clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirIcon);
    auto add = [this](const QIcon& icon, int depth, const QString& name, const QString& target) {
        auto* item = new QListWidgetItem(icon, name, Dir1);
        item->setData(kPathRole, target);
        item->setData(kDepthRole, depth);
        item->setToolTip(target);
    };
    QStringList chain = dirPath_.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    add(open, 0, QStringLiteral("/"), QStringLiteral("/"));
    QString above;
    for (qsizetype depth = 0; depth < chain.size(); ++depth) {
        above += QLatin1Char('/') + chain[depth];
        add(open, static_cast<int>(depth) + 1, chain[depth], above);
    }
    Dir1->setCurrentRow(Dir1->count() - 1);
    const int inside = static_cast<int>(chain.size()) + 1;
    for (const QString& name :
         folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase))
        add(closed, inside, name, QDir(dirPath_).filePath(name));
    Dir1_Change();
}

void frmAdd::OpenFolderItem(const QListWidgetItem* item) {
    if (item)
        SetDirPath(item->data(kPathRole).toString());
}

bool frmAdd::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Dir1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            OpenFolderItem(Dir1->currentItem());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// Opens centred over the main window, where the user is looking, once per load.
void frmAdd::showEvent(QShowEvent* event) {
    if (!placed_) {
        placed_ = true;
        const QRect main = player_.frameGeometry();
        move(main.center() - QPoint(width() / 2, height() / 2));
    }
    QWidget::showEvent(event);
}

void frmAdd::Dir1_Change() {
    File1->SetPath(dirPath_);
}

void frmAdd::cmbPattern_Change() {
    File1->SetPattern(cmbPattern->currentText());
}

bool frmAdd::HideAfterFolder() const {
    return imgCheckChecked->isVisibleTo(this);
}

int frmAdd::addfile(const QString& ThePath, const QString& theartist, const QString& thetitle) {
    // A row that could never play is never written.
    if (const QString why = UnstorablePathReason(ThePath); !why.isEmpty())
        throw StoreError(StoreError::Kind::Refused, why);
    const NormalisedItem item = NormaliseItem(ThePath, theartist, thetitle);
    LoadLastIdentity(datAdd, lblEntryCount);
    CatchUpWithLibrary(datAdd, lblEntryCount, kSongStart);
    datAdd.AddNew();
    if (lblEntryCount == kSongStart || lblEntryCount.isEmpty())
        lblEntryCount = QStringLiteral("0");
    if (!item.fits) {
        longfilelist += QStringLiteral("\r\n") + item.path;
        datAdd.CancelUpdate();
        try {
            player_.datSong.Refresh();
        } catch (const StoreError&) {
            // the main window re-reads at its reload anyway
        }
        if (!player_.IsUnloaded())
            player_.Timer1.start();
        return 0;
    }
    try {
        const int id = NextIdentity(lblEntryCount, kSongStart, datAdd.Schema(), player_.dialogs);
        datAdd.SetField(QStringLiteral("songid"), id);
        datAdd.SetField(QStringLiteral("artist"), item.artist);
        datAdd.SetField(QStringLiteral("Title"), item.title);
        datAdd.SetField(QStringLiteral("filepath"), item.path);
        datAdd.Update();
        return id;
    } catch (...) {
        datAdd.CancelUpdate();
        throw;
    }
}

// The file-name rule for one file of the current folder. False when the file is not added.
bool frmAdd::AddByFileNameRule(const QString& name) {
    if (!IsAcceptedType(name))
        return false;
    const std::optional<SplitName> split = SplitFileName(name);
    if (!split)
        return false;
    Label1 = split->artist;
    Label2 = split->title;
    return addfile(File1->Path() + QLatin1Char('/') + name, Label1, Label2) != 0;
}

void frmAdd::imgAddOver_Click() {
    try {
        AddByFileNameRule(File1->FileName());
    } catch (const StoreError& e) {
        if (e.kind() != StoreError::Kind::IdentityRange) // "library full" has said so already
            ReportNotAdded({File1->Path() + QLatin1Char('/') + File1->FileName()}, e.message());
    }
}

void frmAdd::ReportNotAdded(const QStringList& paths, const QString& reason) {
    QStringList named = paths.mid(0, kMostPathsNamed);
    if (paths.size() > kMostPathsNamed)
        named << QStringLiteral("... and %1 more").arg(paths.size() - kMostPathsNamed);
    player_.dialogs.MsgBox(
        QStringLiteral("Jukora could not add %1 to the library:\r\n%2\r\n\r\n%3")
            .arg(paths.size() == 1 ? QStringLiteral("this file") : QStringLiteral("these files"),
                 named.join(QStringLiteral("\r\n")), reason),
        MsgButtons::Ok, ProgramTitle(), MsgIcon::Warning);
}

void frmAdd::ShowProgress(int done, int total) {
    if (!progress->isVisible()) {
        progress->setRange(0, total);
        progress->show();
        progressText->show();
    }
    progress->setValue(done);
    progressText->setText(QStringLiteral("Adding files: %1 of %2 done").arg(done).arg(total));
    // Repaint, without taking clicks or keys: nothing else may start during the import.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmAdd::imgAddAllOver_Click() {
    const int count = File1->count();
    if (count == 0 || importing_)
        return;
    const QString folder = File1->Path();
    try {
        const int path = datFolder.FieldIndex(QStringLiteral("folder"));
        for (datFolder.MoveFirst(); !datFolder.Eof(); datFolder.MoveNext()) {
            if (datFolder.At(path).toString() != folder)
                continue;
            if (player_.dialogs.MsgBox(
                    QStringLiteral("This folder has already been added, please select the "
                                   "individual files to add or continue and repeat the folder.\r\n"
                                   "Would you like to continue?"),
                    MsgButtons::YesNo, ProgramTitle()) == MsgResult::No)
                return;
            break;
        }
    } catch (const StoreError&) {
        // an empty table: the folder is new
    }
    try {
        CatchUpWithLibrary(datFolder, lblEntryCount2, kFolderStart);
        datFolder.AddNew();
        if (lblEntryCount2 == kFolderStart || lblEntryCount2.isEmpty())
            lblEntryCount2 = QStringLiteral("0");
        const int id =
            NextIdentity(lblEntryCount2, kFolderStart, datFolder.Schema(), player_.dialogs);
        datFolder.SetField(QStringLiteral("FolderID"), id);
        datFolder.SetField(QStringLiteral("folder"), folder);
        datFolder.Update();
    } catch (const StoreError& e) {
        datFolder.CancelUpdate();
        if (e.kind() != StoreError::Kind::IdentityRange)
            player_.dialogs.MsgBox(
                QStringLiteral("Jukora could not record this folder in the "
                               "library, so nothing was imported:\r\n%1\r\n\r\n%2")
                    .arg(folder, e.message()),
                MsgButtons::Ok, ProgramTitle(), MsgIcon::Warning);
        return;
    }

    importing_ = true;
    stopRequested_ = false;
    QStringList failed;
    QString failure;
    int added = 0;
    int i = 0;
    QElapsedTimer clock;
    clock.start();
    qint64 lastPaint = -kRepaintEveryMs;
    for (; i < count && !stopRequested_ && loaded_; ++i) {
        File1->setCurrentRow(i);
        const QString name = File1->item(i)->text();
        try {
            if (AddByFileNameRule(name))
                ++added;
        } catch (const StoreError& e) {
            if (e.kind() == StoreError::Kind::IdentityRange)
                break; // the library is full (the user has been told): no later file fits either
            failed << folder + QLatin1Char('/') + name;
            failure = e.message();
        }
        const qint64 now = clock.elapsed();
        if (now >= progressDelayMs && now - lastPaint >= kRepaintEveryMs) {
            ShowProgress(i + 1, count);
            lastPaint = now;
        }
    }
    importing_ = false;
    progress->hide();
    progressText->hide();
    FinishImport(added, i < count && stopRequested_, failed, failure);
}

// What follows a folder import: the files that could not be added, the stop asked for by a
// closing window, the long names, and the way back to the main window.
void frmAdd::FinishImport(int added, bool stopped, const QStringList& failed,
                          const QString& failure) {
    if (!failed.isEmpty())
        ReportNotAdded(failed, failure);
    if (stopped)
        player_.dialogs.MsgBox(
            QStringLiteral("The folder import was stopped: %1 %2 added to the library.")
                .arg(added)
                .arg(added == 1 ? QStringLiteral("file was") : QStringLiteral("files were")),
            MsgButtons::Ok, ProgramTitle(), MsgIcon::Information);
    // A window closed during the import: it closes now, as it was asked to.
    if (endProgramAfterImport_ || player_.IsUnloaded()) {
        endProgramAfterImport_ = closeAfterImport_ = false;
        Unload();
        player_.close();
        return;
    }
    if (closeAfterImport_) {
        closeAfterImport_ = false;
        ReturnToMain();
        return;
    }
    const bool hide = HideAfterFolder();
    if (!TrimBlanks(longfilelist).isEmpty()) {
        longfilelist = QStringLiteral("The following files could not be added because of long "
                                      "filenames") +
                       longfilelist;
        if (hide)
            Unload();
        player_.dialogs.MsgBox(longfilelist, MsgButtons::Ok, ProgramTitle());
    }
    if (hide)
        ReturnToMain();
}

void frmAdd::imgBackOver_Click() {
    ReturnToMain();
}

void frmAdd::ReturnToMain() {
    if (player_.IsUnloaded()) { // the program is ending: nothing comes back
        Unload();
        return;
    }
    player_.show();
    player_.Timer1.start();
    if (player_.lstArtist->ListCount() >= 1) {
        player_.state.lstTest.Clear();
        player_.Timer1.start();
    }
    Unload();
}

void frmAdd::closeEvent(QCloseEvent* event) {
    if (importing_) {
        // The import stops after the file being added, reports, then the window closes.
        closeAfterImport_ = true;
        StopImport(false);
        event->ignore();
        return;
    }
    // Closing the window by its frame leaves it like the cancel button does.
    if (loaded_ && !player_.IsUnloaded())
        ReturnToMain();
    event->accept();
}
