// The toolkit's note about a missing runtime folder, which nobody can act on.
#pragma once

namespace rinova::files {

// Where XDG_RUNTIME_DIR is unset (cron, `su -`, containers) the toolkit warns on standard error
// and uses a folder of its own in /tmp, which serves as well. Call before the application object
// is made: from then on that one note is dropped, and every other message, the toolkit's warnings
// about a runtime folder with wrong permissions or owner among them, is shown as before.
void quietMissingRuntimeFolderNote();

} // namespace rinova::files
