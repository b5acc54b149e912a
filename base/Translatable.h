#pragma once

// Marks a text the user reads that lives in the layers without Qt: the text stays as it is here,
// and the Qt layers look it up in the user's language, under `context`, where they show it. The
// catalogue's extraction knows the macro as another name of QT_TRANSLATE_NOOP (see
// translations/README.md); `text` must be a plain string literal for it to be found.
#define JW_TRANSLATE_NOOP(context, text) text
