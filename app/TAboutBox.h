#pragma once
// The about box: name, version, icon and the help text from "help.txt".
#include "ui_AboutBox.h"

#include <QDialog>

class TAboutBox : public QDialog, private Ui::TAboutBox {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);

    // The most text the help area takes, in bytes after line-break normalisation.
    static constexpr qint64 MemoLimit = 1024 * 1024;

    void OKButtonClick(QObject *Sender);
    void FormCreate(QObject *Sender);

    friend class TestApp;

protected:
    void showEvent(QShowEvent *event) override;

private:
    bool Shown = false;
};
