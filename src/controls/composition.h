// Input method compositions finished before a command acts on the fields.

#pragma once

// Clerks type Chinese through an input method: a word being composed (Zhuyin, say) is
// drawn underlined in its field but is not yet part of the field's text. A command that
// reads, clears or loads the fields at that moment would act on text without the word,
// and the input method would later deliver the word again wherever the focus then is.
// So the forms (controls::Form) finish an open composition once, in the field where it
// was typed, before:
//   - a mouse press anywhere in a window outside the composing field (a command button,
//     another field), before the focus moves;
//   - a keyboard shortcut (a button's Alt key) is delivered;
//   - a form closes.
// Finishing asks the input method to end the composition, which commits the composed
// text to the field, and waits for that commit (at most half a second, other input
// held back meanwhile). Where no commit comes, the text the field showed is committed
// in its place, so what the clerk saw is what the command acts on.
namespace controls::composition {

// Starts watching the application's input method events; idempotent. Forms call it.
void watch();

// Finishes the open composition now, if there is one: for a program that reads or loads
// fields outside the commands above (from a timer, say).
void finish();

// Whether a composition is open in some field.
bool isOpen();

} // namespace controls::composition
