#pragma once
// Names the folder searched for software images and starts a search there.

#include "tabstractsubwindow.h"

class TOption;
class TWindowTopPanel;

class ZelSoftwareSearchWindow : public TAbstractSubWindow
{
    Q_OBJECT
public:
    ZelSoftwareSearchWindow();

    QString searchPath() const;

public slots:
    void handleSearchSelected();
    void editPathSelected();

private:
    TOption *pathOption;
    TOption *searchOption;
    TOption *cancelOption;
    TWindowTopPanel *topPanel;
};
