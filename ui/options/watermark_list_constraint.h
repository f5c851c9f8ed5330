// QORVAOptItemConstraintWMK: the rules of the watermark popup. New makes a watermark in the first
// free slot and puts the caret into its text; Delete asks, then hides the chosen watermark. After
// every change New is blocked while the list is full, Delete while no watermark is chosen, and the
// degree box while the angle is not the user's own.
#pragma once

#include "items/optitem_notify.h"

class QORVAOptItemHandlerWMCOMBOBOX;

inline constexpr DWORD kWatermarkNewButton = 19101;
inline constexpr DWORD kWatermarkDeleteButton = 19102;

class QORVAOptItemConstraintWMK : public QORVAOptItemNotify {
public:
    QORVAOptItemConstraintWMK(HANDLE heap, QORVAOptItemHandlerFactory* factory);

    DWORD Notify(DWORD id, WORD code, DWORD depth) override;

private:
    void NewPushed();
    // False when the user kept the watermark.
    bool DeletePushed();
    void UpdateButtons();
    // The list's handler when it is the driver's watermark list.
    QORVAOptItemHandlerWMCOMBOBOX* List();

    QORVAOptItemHandler* m_list = nullptr;
    QORVAOptItemHandler* m_new = nullptr;
    QORVAOptItemHandler* m_delete = nullptr;
    QORVAOptItemHandler* m_angle = nullptr;
};
