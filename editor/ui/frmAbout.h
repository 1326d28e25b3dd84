// The About box: the program's picture, title, version, a short description
// and the maker's contact addresses, faded in when it is shown.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;

namespace Contacts {
// Addresses of the maker; the Help menu opens the web site too.
inline constexpr const char *kWebSite = "https://brindleworks.example/";
inline constexpr const char *kEmail = "spark@brindleworks.example";
inline constexpr const char *kForum = "https://forum.brindleworks.example/";
// The addresses as the About box writes them.
inline constexpr const char *kWebSiteText = "brindleworks.example";
inline constexpr const char *kForumText = "forum.brindleworks.example";
}  // namespace Contacts

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *owner = nullptr);

    QLabel *ProgramIcon() const { return ProgramIcon_; }
    QLabel *ProductName() const { return ProductName_; }
    QLabel *Version() const { return Version_; }
    QLabel *Comments() const { return Comments_; }
    QLabel *WebLink() const { return WebLink_; }
    QLabel *EmailLink() const { return EmailLink_; }
    QLabel *ForumLink() const { return ForumLink_; }
    QPushButton *OKButton() const { return OKButton_; }

    // Opacity steps taken by the last fade-in (51 for a full one).
    int FadeSteps() const { return fadeSteps_; }

    // The 320 by 240 picture at the top, drawn by our own code in 256 colours.
    static QImage Picture();

protected:
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FadeIn();

    QLabel *ProgramIcon_ = nullptr;
    QLabel *ProductName_ = nullptr;
    QLabel *Version_ = nullptr;
    QLabel *Comments_ = nullptr;
    QLabel *WebLink_ = nullptr;
    QLabel *EmailLink_ = nullptr;
    QLabel *ForumLink_ = nullptr;
    QPushButton *OKButton_ = nullptr;
    int fadeSteps_ = 0;
    bool fading_ = false;
};

// The About command: the frame timer stands still while the box is shown and
// starts again afterwards. frameTimer may be null.
void RunAboutBox(QWidget *owner, QTimer *frameTimer);
