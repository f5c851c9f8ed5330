// QORVAOptItemConstraintMEDIASIZE: the common base of the document sheet's page rules (main,
// layout, advanced). Each of them first makes sure that the document size holds a paper size:
// an empty one takes the output size when scale-to-output is on (which then turns off), else the
// market's paper, A4 for Japan (or an unknown market) and Letter for every other.
//
// It also keeps what the three rules share: the printer's market, the current page window, the
// resource texts and the locks (state bits that carry the reason shown with the disabled item).
#pragma once

#include <win/windows.h>

#include "items/optitem_notify.h"

struct IDrvResources;

// Items the page rules share.
inline constexpr DWORD kDocumentSizeItem = 1203;
inline constexpr DWORD kScaleToOutputItem = 3101;
inline constexpr DWORD kOutputSizeItem = 3102;
inline constexpr DWORD kScaleItem = 3203;
inline constexpr DWORD kScaleBarItem = 3204;
inline constexpr DWORD kDuplexItem = 7;
inline constexpr DWORD kPagesPerSheetItem = 16;
inline constexpr DWORD kFavouritesItem = 101;
inline constexpr DWORD kBindingMarginItem = 2602;

inline constexpr LONG kUnscaled = 100;
inline constexpr LANGID kMarketJapan = 1041;
inline constexpr LANGID kMarketUnitedStates = 1033;

// Reasons of the locks.
inline constexpr WORD kReasonPagesPerSheetOne = 33409;
inline constexpr WORD kReasonScaleToOutputOff = 33410;
inline constexpr WORD kReasonScaleUnscaled = 33411;
inline constexpr WORD kReasonBindingMarginOff = 33428;
// The favourite-conflict question and its caption.
inline constexpr DWORD kFavouriteConflictText = 32904;
inline constexpr DWORD kFavouriteCaption = 32900;

// The pages per sheet an index of item 16 stands for (1 for an index outside the table).
DWORD PagesPerSheet(LONG_PTR index);

class QORVAOptItemConstraintMEDIASIZE : public QORVAOptItemNotify {
public:
    QORVAOptItemConstraintMEDIASIZE(HANDLE heap, QORVAOptItemHandlerFactory* factory);

    // An empty document size gets a paper (see above). Every write goes through the item's
    // SetValue, so the other observers hear of it.
    void SetDefaultMediaSize();

protected:
    // The printer's "Market" language, 1041 when it cannot be read.
    LANGID Market();
    // The page (or popup) window the sheet shows now; owner of the rules' message boxes.
    HWND PageWindow();
    IDrvResources* Resources();
    // Sets a lock bit with its reason, or clears it (reason 0).
    void SetLock(DWORD item, DWORD bit, WORD reason);
    // Disables (state bit 0x1) or enables an item.
    void SetDisabled(DWORD item, bool disabled);
    // A favourite that does not fit the device: asks whether to delete it, tells the favourites
    // list the answer, and refuses the loading.
    DWORD RefuseFavourite();
};
