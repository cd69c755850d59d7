#pragma once
// The edit path of the property editor, without any window: a typed value
// goes through the entry's refusal before it is written, and whatever was
// grown from the old values is thrown away so that it grows again from the
// new ones; a variant replaces the description in its parent's children.
// Tests take the same path as the Properties window.
#include <string>

class Desc;
class ParameterList;

// Throws away what target grew from its values: its impostor, its children
// and its recorded shape; the region also re-derives its terrain. The next
// refine grows it again.
void discardGrowth(Desc& target);

// Writes text into entry `index` of list (declared by target) unless the
// entry refuses it, then discards target's growth. The refusal, or empty
// when written. The polygon editor ignores the text. Afterwards the list's
// texts are stale: declare a new one.
std::string editProperty(Desc& target, ParameterList& list, int index, const char* text);

// Replaces target in its parent's children by its variant `index`
// (createVariant: same geometry, values, seed and main material), so target
// is destroyed; the parent's impostor, which shows the old variant, goes too. The new
// description (owned by the parent), or null with the refusal in why when
// target declares no variants, has no parent, or has no variant `index`.
Desc* switchVariant(Desc& target, int index, std::string& why);
