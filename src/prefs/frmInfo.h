// The preferences window. It is loaded at start-up and kept hidden until asked for.
#pragma once

#include <QWidget>

class frmPlayer;

class frmInfo : public QWidget {
    Q_OBJECT
public:
    explicit frmInfo(frmPlayer& player);

private:
    frmPlayer& player_;
};
