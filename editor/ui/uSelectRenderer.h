// The start-up dialog that asks which renderer to use.
#pragma once

#include <QDialog>

class QRadioButton;

class TfrmSelectRenderer : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSelectRenderer(QWidget *owner);

    // Buttons in slot order: OpenGL, Direct3D7, Direct3D9; created disabled.
    QRadioButton *RadioButton1 = nullptr;
    QRadioButton *RadioButton2 = nullptr;
    QRadioButton *RadioButton3 = nullptr;

    QRadioButton *Button(int slot) const;
    // The stored-choice value of the selected button (1 to 3), 0 for none.
    int Choice() const;
};
