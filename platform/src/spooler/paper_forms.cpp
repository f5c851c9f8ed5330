// The standard forms (DMPAPER_LETTER to DMPAPER_PENV_10_ROTATED) and the model's papers.
#include "spooler/paper_forms.h"

namespace palvex::paper {
namespace {

constexpr LONG In(double inches) {
    return static_cast<LONG>(inches * 25400 + 0.5);
}
constexpr LONG Mm(LONG millimetres) {
    return millimetres * 1000;
}

constexpr StandardForm kStandardForms[] = {
    {u"Letter", In(8.5), In(11)},
    {u"Letter Small", In(8.5), In(11)},
    {u"Tabloid", In(11), In(17)},
    {u"Ledger", In(17), In(11)},
    {u"Legal", In(8.5), In(14)},
    {u"Statement", In(5.5), In(8.5)},
    {u"Executive", In(7.25), In(10.5)},
    {u"A3", Mm(297), Mm(420)},
    {u"A4", Mm(210), Mm(297)},
    {u"A4 Small", Mm(210), Mm(297)},
    {u"A5", Mm(148), Mm(210)},
    {u"B4 (JIS)", Mm(257), Mm(364)},
    {u"B5 (JIS)", Mm(182), Mm(257)},
    {u"Folio", In(8.5), In(13)},
    {u"Quarto", Mm(215), Mm(275)},
    {u"10x14", In(10), In(14)},
    {u"11x17", In(11), In(17)},
    {u"Note", In(8.5), In(11)},
    {u"Envelope #9", In(3.875), In(8.875)},
    {u"Envelope #10", In(4.125), In(9.5)},
    {u"Envelope #11", In(4.5), In(10.375)},
    {u"Envelope #12", In(4.75), In(11)},
    {u"Envelope #14", In(5), In(11.5)},
    {u"C size sheet", In(17), In(22)},
    {u"D size sheet", In(22), In(34)},
    {u"E size sheet", In(34), In(44)},
    {u"Envelope DL", Mm(110), Mm(220)},
    {u"Envelope C5", Mm(162), Mm(229)},
    {u"Envelope C3", Mm(324), Mm(458)},
    {u"Envelope C4", Mm(229), Mm(324)},
    {u"Envelope C6", Mm(114), Mm(162)},
    {u"Envelope C65", Mm(114), Mm(229)},
    {u"Envelope B4", Mm(250), Mm(353)},
    {u"Envelope B5", Mm(176), Mm(250)},
    {u"Envelope B6", Mm(176), Mm(125)},
    {u"Envelope", Mm(110), Mm(230)},
    {u"Envelope Monarch", In(3.875), In(7.5)},
    {u"6 3/4 Envelope", In(3.625), In(6.5)},
    {u"US Std Fanfold", In(14.875), In(11)},
    {u"German Std Fanfold", In(8.5), In(12)},
    {u"German Legal Fanfold", In(8.5), In(13)},
    {u"B4 (ISO)", Mm(250), Mm(353)},
    {u"Japanese Postcard", Mm(100), Mm(148)},
    {u"9x11", In(9), In(11)},
    {u"10x11", In(10), In(11)},
    {u"15x11", In(15), In(11)},
    {u"Envelope Invite", Mm(220), Mm(220)},
    {u"Reserved48", Mm(1), Mm(1)},
    {u"Reserved49", Mm(1), Mm(1)},
    {u"Letter Extra", In(9.5), In(12)},
    {u"Legal Extra", In(9.5), In(15)},
    {u"Tabloid Extra", In(11.69), In(18)},
    {u"A4 Extra", Mm(235), Mm(322)},
    {u"Letter Transverse", In(8.5), In(11)},
    {u"A4 Transverse", Mm(210), Mm(297)},
    {u"Letter Extra Transverse", In(9.5), In(12)},
    {u"Super A", Mm(227), Mm(356)},
    {u"Super B", Mm(305), Mm(487)},
    {u"Letter Plus", In(8.5), In(12.69)},
    {u"A4 Plus", Mm(210), Mm(330)},
    {u"A5 Transverse", Mm(148), Mm(210)},
    {u"B5 (JIS) Transverse", Mm(182), Mm(257)},
    {u"A3 Extra", Mm(322), Mm(445)},
    {u"A5 Extra", Mm(174), Mm(235)},
    {u"B5 (ISO) Extra", Mm(201), Mm(276)},
    {u"A2", Mm(420), Mm(594)},
    {u"A3 Transverse", Mm(297), Mm(420)},
    {u"A3 Extra Transverse", Mm(322), Mm(445)},
    {u"Japanese Double Postcard", Mm(200), Mm(148)},
    {u"A6", Mm(105), Mm(148)},
    {u"Japanese Envelope Kaku #2", Mm(240), Mm(332)},
    {u"Japanese Envelope Kaku #3", Mm(216), Mm(277)},
    {u"Japanese Envelope Chou #3", Mm(120), Mm(235)},
    {u"Japanese Envelope Chou #4", Mm(90), Mm(205)},
    {u"Letter Rotated", In(11), In(8.5)},
    {u"A3 Rotated", Mm(420), Mm(297)},
    {u"A4 Rotated", Mm(297), Mm(210)},
    {u"A5 Rotated", Mm(210), Mm(148)},
    {u"B4 (JIS) Rotated", Mm(364), Mm(257)},
    {u"B5 (JIS) Rotated", Mm(257), Mm(182)},
    {u"Japanese Postcard Rotated", Mm(148), Mm(100)},
    {u"Double Japan Postcard Rotated", Mm(148), Mm(200)},
    {u"A6 Rotated", Mm(148), Mm(105)},
    {u"Japan Envelope Kaku #2 Rotated", Mm(332), Mm(240)},
    {u"Japan Envelope Kaku #3 Rotated", Mm(277), Mm(216)},
    {u"Japan Envelope Chou #3 Rotated", Mm(235), Mm(120)},
    {u"Japan Envelope Chou #4 Rotated", Mm(205), Mm(90)},
    {u"B6 (JIS)", Mm(128), Mm(182)},
    {u"B6 (JIS) Rotated", Mm(182), Mm(128)},
    {u"12x11", In(12), In(11)},
    {u"Japan Envelope You #4", Mm(105), Mm(235)},
    {u"Japan Envelope You #4 Rotated", Mm(235), Mm(105)},
    {u"PRC 16K", Mm(146), Mm(215)},
    {u"PRC 32K", Mm(97), Mm(151)},
    {u"PRC 32K(Big)", Mm(97), Mm(151)},
    {u"PRC Envelope #1", Mm(102), Mm(165)},
    {u"PRC Envelope #2", Mm(102), Mm(176)},
    {u"PRC Envelope #3", Mm(125), Mm(176)},
    {u"PRC Envelope #4", Mm(110), Mm(208)},
    {u"PRC Envelope #5", Mm(110), Mm(220)},
    {u"PRC Envelope #6", Mm(120), Mm(230)},
    {u"PRC Envelope #7", Mm(160), Mm(230)},
    {u"PRC Envelope #8", Mm(120), Mm(309)},
    {u"PRC Envelope #9", Mm(229), Mm(324)},
    {u"PRC Envelope #10", Mm(324), Mm(458)},
    {u"PRC 16K Rotated", Mm(215), Mm(146)},
    {u"PRC 32K Rotated", Mm(151), Mm(97)},
    {u"PRC 32K(Big) Rotated", Mm(151), Mm(97)},
    {u"PRC Envelope #1 Rotated", Mm(165), Mm(102)},
    {u"PRC Envelope #2 Rotated", Mm(176), Mm(102)},
    {u"PRC Envelope #3 Rotated", Mm(176), Mm(125)},
    {u"PRC Envelope #4 Rotated", Mm(208), Mm(110)},
    {u"PRC Envelope #5 Rotated", Mm(220), Mm(110)},
    {u"PRC Envelope #6 Rotated", Mm(230), Mm(120)},
    {u"PRC Envelope #7 Rotated", Mm(230), Mm(160)},
    {u"PRC Envelope #8 Rotated", Mm(309), Mm(120)},
    {u"PRC Envelope #9 Rotated", Mm(324), Mm(229)},
    {u"PRC Envelope #10 Rotated", Mm(458), Mm(324)},
};
static_assert(std::size(kStandardForms) == 118);

// The papers of the model, in the driver's order.
constexpr WORD kModelPaperIds[] = {9, 8, 11, 12, 13, 1, 5, 17, 7, 6, 73};

}  // namespace

std::span<const StandardForm> StandardForms() {
    return kStandardForms;
}

const StandardForm* FindStandardForm(long paper) {
    if (paper < 1 || paper > static_cast<long>(std::size(kStandardForms))) return nullptr;
    return &kStandardForms[paper - 1];
}

const std::vector<ModelPaper>& ModelPapers() {
    static const std::vector<ModelPaper> papers = [] {
        std::vector<ModelPaper> list;
        for (WORD id : kModelPaperIds) {
            const StandardForm* form = FindStandardForm(id);
            list.push_back(ModelPaper{id, form->name, (form->width + 50) / 100, (form->height + 50) / 100});
        }
        return list;
    }();
    return papers;
}

}  // namespace palvex::paper
