// What the HUD's text labels share: their text form (a TextureTextComponent part and nothing of their
// own) and the way they write numbers.
#pragma once

#include <string>

class BaseInStream;
class BaseOutStream;
class TextureTextComponent;

// Version 0 and "TextureTextComponent" with that part, then "end".
void readLabelPart(BaseInStream& in, TextureTextComponent& label);
void writeLabelPart(BaseOutStream& out, TextureTextComponent& label);

// A number as a standard output stream writes it by default: six significant digits, no trailing
// zeros, exponent notation for very large or small values.
std::string streamNumber(float value);

// Sets the label's text and renders it, unless that text is already on show.
void showLabelText(TextureTextComponent& label, const std::string& text);
