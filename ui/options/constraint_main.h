// QORVAOptItemConstraintMAIN: the rules of the document sheet's Main page. They keep the document
// and output sizes in line with the paper source and the printer's installed trays, the media
// type with the source, duplex with the paper and the media, derive the duplex binding edge,
// compute the fit-to-output scale from the two forms and the printer's unprintable margin, lock
// pages per sheet, scale and scale-to-output against each other, enable the secure-print button
// and catch favourites whose paper source the device no longer has.
//
// A rule that must change other items after the user's change first asks, in one OK/Cancel
// message listing every change; Cancel refuses the user's change, which the framework undoes.
#pragma once

#include <win/windows.h>

#include "options/constraint_mediasize.h"

class QORVAOptItemHandler;
struct MainRuleState;

class QORVAOptItemConstraintMAIN : public QORVAOptItemConstraintMEDIASIZE {
public:
    QORVAOptItemConstraintMAIN(HANDLE heap, QORVAOptItemHandlerFactory* factory);

    DWORD Notify(DWORD id, WORD code, DWORD depth) override;

    DWORD AutoScale() const { return m_autoScale; }

private:
    using State = MainRuleState;

    // The steps of Notify; an answer other than 0 ends Notify with it.
    DWORD FavouriteCheck(const State& state);
    DWORD PaperRule(DWORD id, WORD code, const State& state);
    void BindingEdge(const State& state);
    DWORD MediaAgainstDuplex(const State& state);
    DWORD SourceChange(WORD code, const State& state);
    void SecurePrint(DWORD id, WORD code, const State& state);
    void NotesAndLocks(DWORD id, WORD code, const State& state);
    void OutputSizeAndScale(DWORD id, WORD code, const State& state);

    // The source list's option at index stands for a tray that is installed (option 0 stands for
    // none, and an option past the fourth tray that is not the last counts as installed).
    bool OptionTrayInstalled(LONG index, const State& state);
    // Shows option 0 and every other source option whose tray is installed, hides the others.
    void ShowInstalledSources(const State& state);
    void ShowEveryOption(QORVAOptItemHandler* handler);
    // The size of the form named by an item's selected text (micrometres), 0 by 0 when unreadable.
    SIZEL SelectedForm(QORVAOptItemHandler* handler);
    // The scale item set to a computed value, kept within the item's range.
    void SetScale(LONGLONG value);

    QORVAOptItemHandler* m_documentSize = nullptr;
    QORVAOptItemHandler* m_outputSize = nullptr;
    QORVAOptItemHandler* m_customSize = nullptr;
    QORVAOptItemHandler* m_mediaType = nullptr;
    QORVAOptItemHandler* m_source = nullptr;
    QORVAOptItemHandler* m_orientation = nullptr;
    QORVAOptItemHandler* m_rotate = nullptr;
    QORVAOptItemHandler* m_scaleToOutput = nullptr;
    QORVAOptItemHandler* m_scale = nullptr;
    QORVAOptItemHandler* m_printMethod = nullptr;
    DWORD m_autoScale = 0;
};
