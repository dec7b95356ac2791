// Japanese for the toolkit's own texts, dates, numbers and units, whatever the desktop's locale.
#pragma once

namespace rinova::widgets {

// Call once the application exists; true when the toolkit's Japanese texts were found.
bool useJapanese();

} // namespace rinova::widgets
