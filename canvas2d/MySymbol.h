// A point marker of a fixed pixel size.
#pragma once

#include "MyPoint.h"

#include <wx/colour.h>

enum MySymbolType { SYMBOL_CIRCLE = 0, SYMBOL_TRIANGLE = 1, SYMBOL_SQUARE = 2 };

class MySymbol
{
public:
    virtual ~MySymbol() = default;
    MySymbol *Clone() const { return new MySymbol(*this); }

    MyPoint position;
    wxColour penColour;
    wxColour fillColour;
    bool selectable = false;
    bool selected = false;
    wxColour selectedFillColour;
    int tag = 0;
    int penWidth = 1;
    int size = 8; // pixels
    int type = SYMBOL_CIRCLE;

    bool IsHighlighted() const { return selectable && selected; }
};
