// The sprite browser: every sprite of the game directories (loose files and
// archive entries, in the renderer's lookup order), filtered by name, with
// thumbnails drawn lazily from each sprite's own pictures and palette and
// animated for groups and multi-frame sprites. A file dialog stays at hand for
// a sprite outside the game directories.
#pragma once

#include <QAbstractListModel>
#include <QCache>
#include <QDialog>
#include <QImage>
#include <QSortFilterProxyModel>
#include <memory>
#include <optional>

#include "gamefs/SpriteCatalog.h"

class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QTimer;
class TObjectInspector;

// The catalog as a list; thumbnails are decoded when the view first asks for
// a row and kept in a cache of bounded size.
class TSpriteCatalogModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Roles { EntryRole = Qt::UserRole + 1 };

    TSpriteCatalogModel(SpriteCatalog catalog, std::string baseDir, std::string additionalDir,
                        QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    const SpriteCatalog &Catalog() const { return catalog_; }
    const CatalogEntry &Entry(int row) const { return catalog_.entries[static_cast<size_t>(row)]; }
    QString SourceText(int row) const;
    // The preview of a row (decoded on first use); null when broken.
    const SpritePreview *Preview(int row) const;
    QString Problem(int row) const;
    // Number of rows whose thumbnails were decoded so far.
    int DecodedCount() const { return decoded_; }

    // Moves the animation clock on; animated thumbnails in the cache repaint.
    void SetClock(double seconds);

private:
    struct Decoded {
        SpritePreview preview;
        QString problem;
    };
    const Decoded &Decode(int row) const;

    SpriteCatalog catalog_;
    std::string baseDir_, additionalDir_;
    mutable QCache<int, Decoded> cache_;
    mutable int decoded_ = 0;
    double clock_ = 0;
};

class TSpriteFilterModel : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void SetFilterText(const QString &text);

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    std::string filter_;
};

// An RGBA picture of a preview, as an image.
QImage PreviewImage(const SpritePreview::Picture &picture);

class TfrmSpriteBrowser : public QDialog {
    Q_OBJECT
public:
    // current: the sprite row's text, selected when listed; fileFolder: where
    // the file dialog starts.
    TfrmSpriteBrowser(QWidget *owner, const QString &baseDir, const QString &additionalDir,
                      const QString &current, const QString &fileFolder);

    QLineEdit *edFilter = nullptr;
    QListView *lvSprites = nullptr;
    QLabel *lblPicture = nullptr;
    QLabel *lblDetails = nullptr;
    QPushButton *btnFile = nullptr;
    QPushButton *btnOk = nullptr;

    TSpriteCatalogModel *Model() const { return model_; }
    TSpriteFilterModel *Filter() const { return filter_; }

    // Selects the listed entry of that name (ignoring case); false if none.
    bool SelectName(const QString &name);
    // The catalog row selected, -1 when none.
    int SelectedRow() const;

    // What choosing gave: the text for the sprite row, and the file for a
    // setting that keeps one (the loose file or the chosen file; for an
    // archive entry the row text).
    QString ChosenRowPath() const { return chosenRowPath_; }
    const std::string &ChosenRowBytes() const { return chosenRowBytes_; }
    QString ChosenFilePath() const { return chosenFilePath_; }

    // The file dialog of the fallback; accepted files are taken at once.
    void ChooseFile();

private:
    void SelectionChanged();
    void ShowPicture();
    void Choose();

    std::string baseDir_, additionalDir_;
    QString fileFolder_;
    TSpriteCatalogModel *model_ = nullptr;
    TSpriteFilterModel *filter_ = nullptr;
    QTimer *clock_ = nullptr;
    double seconds_ = 0;
    QString chosenRowPath_, chosenFilePath_;
    std::string chosenRowBytes_;  // the row's path as stored, byte for byte
};

struct TSpriteChoice {
    QString rowPath;       // what the sprite row receives
    std::string rowBytes;  // the same path as the record stores it
    QString filePath;      // what a setting that keeps a file receives
};

// Shows the browser; empty when cancelled. A path that does not fit a row is
// refused with a message.
std::optional<TSpriteChoice> BrowseForSprite(QWidget *owner, const QString &baseDir,
                                             const QString &additionalDir, const QString &current,
                                             const QString &fileFolder);

// Marks the inspector's sprite row when its sprite is not found in the game
// directories: a warning icon and a tooltip; clears the mark otherwise.
void MarkMissingSprite(TObjectInspector *grid, const QString &baseDir, const QString &additionalDir);
