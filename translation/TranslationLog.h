#pragma once

class TransLog;

// The task log of translations: the source subtitle file and the translated one, a record each.
// Translation is not yet a row of the tool table (the editor would list a tool without a window),
// so its log is made here, beside the four tools' logs and in their form.
TransLog& GetTranslationLog();
