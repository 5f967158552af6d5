#pragma once
// ZelDeviceListPage: the first page of the device screen, a grid of rows,
// one per device of the registry, kept up to date while the page is shown.
#include <QAbstractButton>

#include "tpage.h"

#include <QList>
#include <QMap>
#include <QPixmap>
#include <QPointer>

class QGridLayout;
class QLabel;
class TLinkDeviceIf;
class TScrollWidget;
class TVerticalScrollArea;
class ZelDeviceListItem;
class ZelDevicePageScreen;

class ZelDeviceListPage : public TPage
{
    Q_OBJECT
public:
    explicit ZelDeviceListPage(ZelDevicePageScreen *parent);

    void setSelectedDevice(TLinkDeviceIf *device);
    void setSelectedItemImagesVisible(bool visible);
    QPixmap grabSelectedItem(QRect *rect);
    QRect getSelectedRect() const override;

    TLinkDeviceIf *selectedDevice() const { return m_selectedDevice; }
    ZelDeviceListItem *rowOf(TLinkDeviceIf *device) const { return m_rows.value(device); }
    QList<ZelDeviceListItem *> rows() const { return m_orderedRows; }
    int columnCount() const { return m_columnCount; }
    int rowWidth() const { return m_rowWidth; }
    QWidget *discoveryHeader() const { return m_discoveryHeader; }
    QLabel *identificationNotice() const { return m_notice; }
    QGridLayout *grid() const { return m_grid; }

public slots:
    void refreshPage() override;
    void handleDeviceUpdated(TLinkDeviceIf *device);
    void handleDeviceSelected(ZelDeviceListItem *row);
    void handleScrollWidgetWidthChanged(int width);
    void deviceConnecting(bool status);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    static bool isRegistered(TLinkDeviceIf *device);
    void reflowRows();
    void removeDuplicateOf(TLinkDeviceIf *device);

    TScrollWidget *m_scrollWidget;
    TVerticalScrollArea *m_scrollArea;
    QGridLayout *m_grid;
    TLinkDeviceIf *m_selectedDevice = nullptr;
    int m_rowWidth = 0;
    int m_columnCount = 0;
    QMap<TLinkDeviceIf *, ZelDeviceListItem *> m_rows;
    QList<ZelDeviceListItem *> m_orderedRows;
    ZelDevicePageScreen *m_pageScreen;
    QPointer<QWidget> m_discoveryHeader;
    QLabel *m_notice;
};
