#include "uSpriteBrowser.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

#include "uMessages.h"
#include "uPropertyEdit.h"
#include "uPropertyGrid.h"
#include "uPropertyRows.h"
#include "uSpriteChoice.h"
#include "uTextRules.h"

namespace {

constexpr int kThumbSize = 40;
constexpr int kPictureSize = 160;
constexpr int kClockMilliseconds = 50;
constexpr int kCachedThumbnails = 400;

std::string Local(const QString &text)
{
    return QFile::encodeName(text).toStdString();
}

QString FromLocal(const std::string &text)
{
    return QFile::decodeName(QByteArray::fromStdString(text));
}

// A picture scaled to fit a square of side, keeping its proportions; small
// sprites are enlarged without smoothing so their pixels stay sharp.
QPixmap FittedPixmap(const QImage &image, int side)
{
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    if (image.isNull())
        return pixmap;
    const QImage scaled = image.scaled(side, side, Qt::KeepAspectRatio,
                                       image.width() < side && image.height() < side
                                           ? Qt::FastTransformation
                                           : Qt::SmoothTransformation);
    QPainter painter(&pixmap);
    painter.drawImage((side - scaled.width()) / 2, (side - scaled.height()) / 2, scaled);
    return pixmap;
}

QPixmap WarningPixmap(int side)
{
    return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(side, side);
}

}  // namespace

QImage PreviewImage(const SpritePreview::Picture &picture)
{
    if (picture.width < 1 || picture.height < 1 ||
        picture.rgba.size() != static_cast<size_t>(picture.width) * picture.height * 4)
        return {};
    QImage image(picture.rgba.data(), picture.width, picture.height, picture.width * 4,
                 QImage::Format_RGBA8888);
    return image.copy();  // the image must not point into the preview
}

// ---------------------------------------------------------------- model

TSpriteCatalogModel::TSpriteCatalogModel(SpriteCatalog catalog, std::string baseDir,
                                         std::string additionalDir, QObject *parent)
    : QAbstractListModel(parent), catalog_(std::move(catalog)), baseDir_(std::move(baseDir)),
      additionalDir_(std::move(additionalDir)), cache_(kCachedThumbnails)
{
}

int TSpriteCatalogModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(catalog_.entries.size());
}

const TSpriteCatalogModel::Decoded &TSpriteCatalogModel::Decode(int row) const
{
    if (const Decoded *hit = cache_.object(row))
        return *hit;
    auto decoded = std::make_unique<Decoded>();
    const CatalogEntry &entry = Entry(row);
    std::vector<uint8_t> bytes;
    std::string message;
    if (!ReadCatalogEntry(entry, bytes, message) ||
        !LoadSpritePreview(bytes.data(), bytes.size(), decoded->preview, message))
        decoded->problem = TextFromBytes(message);
    ++decoded_;
    const Decoded *kept = decoded.get();
    cache_.insert(row, decoded.release());
    return *kept;
}

const SpritePreview *TSpriteCatalogModel::Preview(int row) const
{
    if (row < 0 || row >= rowCount())
        return nullptr;
    const Decoded &d = Decode(row);
    return d.problem.isEmpty() ? &d.preview : nullptr;
}

QString TSpriteCatalogModel::Problem(int row) const
{
    if (row < 0 || row >= rowCount())
        return {};
    const CatalogEntry &entry = Entry(row);
    if (entry.Broken())
        return TextFromBytes(entry.problem);
    return Decode(row).problem;
}

QString TSpriteCatalogModel::SourceText(int row) const
{
    return FromLocal(SpriteSourceText(Entry(row), baseDir_, additionalDir_));
}

QVariant TSpriteCatalogModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const int row = index.row();
    const CatalogEntry &entry = Entry(row);
    switch (role) {
    case Qt::DisplayRole: {
        QString text = TextFromBytes(entry.name) + QStringLiteral("\n") + SourceText(row);
        if (entry.origin == SpriteOrigin::BrokenArchive)
            text += QStringLiteral(" (not usable)");
        else if (entry.shadowed)
            text += QStringLiteral(" (shadowed)");
        return text;
    }
    case Qt::ToolTipRole: {
        QString tip = SourceText(row);
        if (entry.shadowed)
            tip += QStringLiteral("\nShadowed: the renderer loads the one from ") + SourceText(entry.winner) +
                   QStringLiteral(" instead.");
        if (entry.Broken())
            tip += QStringLiteral("\nBroken: ") + TextFromBytes(entry.problem);
        return tip;
    }
    case Qt::DecorationRole: {
        if (entry.Broken())
            return WarningPixmap(kThumbSize);
        const Decoded &d = Decode(row);
        if (!d.problem.isEmpty())
            return WarningPixmap(kThumbSize);
        const SpritePreview::Picture *picture = PreviewPictureAt(d.preview, clock_);
        return picture ? FittedPixmap(PreviewImage(*picture), kThumbSize) : QPixmap();
    }
    case Qt::ForegroundRole:
        if (entry.shadowed || entry.origin == SpriteOrigin::BrokenArchive)
            return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
        return {};
    case EntryRole: return row;
    default: return {};
    }
}

Qt::ItemFlags TSpriteCatalogModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void TSpriteCatalogModel::SetClock(double seconds)
{
    clock_ = seconds;
    // Only decoded thumbnails with more than one picture change.
    for (const int row : cache_.keys()) {
        const Decoded *d = cache_.object(row);
        if (d && d->problem.isEmpty() && d->preview.pictures.size() > 1) {
            const QModelIndex i = index(row);
            emit dataChanged(i, i, {Qt::DecorationRole});
        }
    }
}

void TSpriteFilterModel::SetFilterText(const QString &text)
{
    filter_ = text.toLatin1().toStdString();
    invalidateFilter();
}

bool TSpriteFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &) const
{
    const auto *model = qobject_cast<const TSpriteCatalogModel *>(sourceModel());
    return model && SpriteMatchesFilter(model->Entry(sourceRow), filter_);
}

// ---------------------------------------------------------------- dialog

TfrmSpriteBrowser::TfrmSpriteBrowser(QWidget *owner, const QString &baseDir, const QString &additionalDir,
                                     const QString &current, const QString &fileFolder)
    : QDialog(owner), baseDir_(Local(baseDir)), additionalDir_(Local(additionalDir)), fileFolder_(fileFolder)
{
    setWindowTitle(QStringLiteral("Choose Sprite"));
    setObjectName(QStringLiteral("frmSpriteBrowser"));

    GameFileSystem fs;
    fs.SetGamedir(baseDir_.c_str(), additionalDir_.c_str(), nullptr);
    model_ = new TSpriteCatalogModel(ListGameSprites(fs), baseDir_, additionalDir_, this);
    filter_ = new TSpriteFilterModel(this);
    filter_->setSourceModel(model_);

    auto *layout = new QVBoxLayout(this);
    edFilter = new QLineEdit(this);
    edFilter->setObjectName(QStringLiteral("edFilter"));
    edFilter->setPlaceholderText(QStringLiteral("Filter by name"));
    edFilter->setClearButtonEnabled(true);
    layout->addWidget(edFilter);

    auto *middle = new QHBoxLayout;
    lvSprites = new QListView(this);
    lvSprites->setObjectName(QStringLiteral("lvSprites"));
    lvSprites->setModel(filter_);
    lvSprites->setIconSize(QSize(kThumbSize, kThumbSize));
    lvSprites->setUniformItemSizes(true);  // only the rows in view are asked for
    lvSprites->setSelectionMode(QAbstractItemView::SingleSelection);
    lvSprites->setMinimumWidth(300);
    middle->addWidget(lvSprites, 1);

    auto *side = new QVBoxLayout;
    lblPicture = new QLabel(this);
    lblPicture->setObjectName(QStringLiteral("lblPicture"));
    lblPicture->setFixedSize(kPictureSize, kPictureSize);
    lblPicture->setAlignment(Qt::AlignCenter);
    lblPicture->setFrameShape(QFrame::StyledPanel);
    side->addWidget(lblPicture);
    lblDetails = new QLabel(this);
    lblDetails->setObjectName(QStringLiteral("lblDetails"));
    lblDetails->setWordWrap(true);
    lblDetails->setFixedWidth(kPictureSize);
    lblDetails->setTextInteractionFlags(Qt::TextSelectableByMouse);
    side->addWidget(lblDetails);
    side->addStretch();
    middle->addLayout(side);
    layout->addLayout(middle, 1);

    if (model_->rowCount() == 0) {
        auto *none = new QLabel(baseDir.isEmpty() && additionalDir.isEmpty()
                                    ? QStringLiteral("No game directory is set (File > Game Directories).")
                                    : QStringLiteral("The game directories hold no sprites."),
                                this);
        layout->addWidget(none);
    }

    auto *buttons = new QDialogButtonBox(this);
    btnFile = buttons->addButton(QStringLiteral("&File..."), QDialogButtonBox::ActionRole);
    btnFile->setObjectName(QStringLiteral("btnFile"));
    btnFile->setToolTip(QStringLiteral("Choose a sprite file outside the game directories"));
    btnOk = buttons->addButton(QStringLiteral("&OK"), QDialogButtonBox::AcceptRole);
    buttons->addButton(QStringLiteral("&Cancel"), QDialogButtonBox::RejectRole);
    btnOk->setDefault(true);
    layout->addWidget(buttons);

    connect(edFilter, &QLineEdit::textChanged, this, [this](const QString &text) {
        // The selection stays while it is still shown, else the first shown row takes it.
        const int before = SelectedRow();
        filter_->SetFilterText(text);
        const QModelIndex kept = before >= 0 ? filter_->mapFromSource(model_->index(before)) : QModelIndex();
        if (kept.isValid())
            lvSprites->setCurrentIndex(kept);
        else if (filter_->rowCount() > 0)
            lvSprites->setCurrentIndex(filter_->index(0, 0));
        SelectionChanged();
    });
    connect(lvSprites->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { SelectionChanged(); });
    connect(lvSprites, &QListView::activated, this, [this] { Choose(); });
    connect(buttons, &QDialogButtonBox::accepted, this, [this] { Choose(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(btnFile, &QPushButton::clicked, this, &TfrmSpriteBrowser::ChooseFile);

    clock_ = new QTimer(this);
    clock_->setInterval(kClockMilliseconds);
    connect(clock_, &QTimer::timeout, this, [this] {
        seconds_ += kClockMilliseconds / 1000.0;
        model_->SetClock(seconds_);
        ShowPicture();
    });
    clock_->start();

    resize(560, 420);
    if (!SelectName(current) && filter_->rowCount() > 0)
        lvSprites->setCurrentIndex(filter_->index(0, 0));
    SelectionChanged();
}

bool TfrmSpriteBrowser::SelectName(const QString &name)
{
    if (name.isEmpty())
        return false;
    const std::string key = SpriteKey(name.toLatin1().toStdString());
    for (int row = 0; row < model_->rowCount(); ++row) {
        const CatalogEntry &e = model_->Entry(row);
        if (e.shadowed || e.origin == SpriteOrigin::BrokenArchive || SpriteKey(e.name) != key)
            continue;
        const QModelIndex shown = filter_->mapFromSource(model_->index(row));
        if (!shown.isValid())
            return false;
        lvSprites->setCurrentIndex(shown);
        lvSprites->scrollTo(shown);
        return true;
    }
    return false;
}

int TfrmSpriteBrowser::SelectedRow() const
{
    const QModelIndex current = lvSprites->currentIndex();
    if (!current.isValid())
        return -1;
    return filter_->mapToSource(current).row();
}

void TfrmSpriteBrowser::SelectionChanged()
{
    const int row = SelectedRow();
    if (row < 0) {
        lblDetails->setText(QString());
        lblPicture->clear();
        btnOk->setEnabled(false);
        return;
    }
    const CatalogEntry &entry = model_->Entry(row);
    QString text = QStringLiteral("<b>") + TextFromBytes(entry.name).toHtmlEscaped() +
                   QStringLiteral("</b><br>");
    const QString problem = model_->Problem(row);
    if (const SpritePreview *preview = entry.origin == SpriteOrigin::BrokenArchive ? nullptr
                                                                                   : model_->Preview(row))
        text += TextFromBytes(SpriteDetailsText(*preview)) + QStringLiteral("<br>");
    text += QStringLiteral("From ") + model_->SourceText(row).toHtmlEscaped();
    if (entry.shadowed)
        text += QStringLiteral("<br>Shadowed by the one from ") +
                model_->SourceText(entry.winner).toHtmlEscaped();
    if (!problem.isEmpty())
        text += QStringLiteral("<br><font color=\"#b00000\">Broken: ") + problem.toHtmlEscaped() +
                QStringLiteral("</font>");
    lblDetails->setText(text);
    btnOk->setEnabled(entry.origin != SpriteOrigin::BrokenArchive && !entry.shadowed &&
                      SpriteRowPath(entry).has_value());
    ShowPicture();
}

void TfrmSpriteBrowser::ShowPicture()
{
    const int row = SelectedRow();
    if (row < 0)
        return;
    const CatalogEntry &entry = model_->Entry(row);
    const SpritePreview *preview = entry.origin == SpriteOrigin::BrokenArchive ? nullptr
                                                                               : model_->Preview(row);
    if (!preview) {
        lblPicture->setPixmap(WarningPixmap(48));
        return;
    }
    if (const SpritePreview::Picture *picture = PreviewPictureAt(*preview, seconds_))
        lblPicture->setPixmap(FittedPixmap(PreviewImage(*picture), kPictureSize - 4));
}

void TfrmSpriteBrowser::Choose()
{
    const int row = SelectedRow();
    if (row < 0 || !btnOk->isEnabled())
        return;
    const CatalogEntry &entry = model_->Entry(row);
    const std::optional<std::string> path = SpriteRowPath(entry);
    if (!path)
        return;
    chosenRowBytes_ = *path;
    chosenRowPath_ = TextFromBytes(*path);
    chosenFilePath_ = entry.origin == SpriteOrigin::Archive ? chosenRowPath_ : FromLocal(entry.path);
    accept();
}

void TfrmSpriteBrowser::ChooseFile()
{
    QFileDialog dialog(this, QStringLiteral("Browse for Sprite"), fileFolder_);
    dialog.setObjectName(QStringLiteral("OpenDialog2"));
    dialog.setNameFilters({QStringLiteral("Sprites (*.spr)"), QStringLiteral("All files (*.*)")});
    dialog.setDefaultSuffix(QStringLiteral("spr"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (ExecDialog(&dialog) != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString file = dialog.selectedFiles().constFirst();
    const std::optional<std::string> path = SpriteRowPathForFile(Local(file), baseDir_, additionalDir_);
    if (!path) {
        const std::string chosen = Local(file);
        const size_t slash = chosen.find_last_of("/\\");
        const std::string name = slash == std::string::npos ? chosen : chosen.substr(slash + 1);
        ShowMessageBox(this, TextFromBytes(SpritePathTooLongMessage("sprites/" + name)), QString(),
                       TMsgIcon::Warning);
        return;
    }
    chosenRowBytes_ = *path;
    chosenRowPath_ = TextFromBytes(*path);
    chosenFilePath_ = file;
    accept();
}

std::optional<TSpriteChoice> BrowseForSprite(QWidget *owner, const QString &baseDir,
                                             const QString &additionalDir, const QString &current,
                                             const QString &fileFolder)
{
    TfrmSpriteBrowser browser(owner, baseDir, additionalDir, current, fileFolder);
    if (ExecDialog(&browser) != QDialog::Accepted || browser.ChosenRowPath().isEmpty())
        return std::nullopt;
    return TSpriteChoice{browser.ChosenRowPath(), browser.ChosenRowBytes(), browser.ChosenFilePath()};
}

void MarkMissingSprite(TObjectInspector *grid, const QString &baseDir, const QString &additionalDir)
{
    if (!grid)
        return;
    const int row = grid->RowOfKey(QString::fromLatin1(InspectorKey::kSpriteName));
    if (row < 0)
        return;
    QTableWidgetItem *item = grid->item(row, 1);
    if (!item)
        return;
    const std::string text = grid->Value(row).toLatin1().toStdString();
    if (SpriteMissing(Local(baseDir), Local(additionalDir), text)) {
        item->setIcon(QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning));
        item->setToolTip(TextFromBytes(MissingSpriteTooltip(text)));
    } else {
        item->setIcon(QIcon());
        item->setToolTip(QString());
    }
}
