// KdxGaibu: everything one exchange with the host knows, and how it is read
// and answered. The host writes its selection and drawing settings into the
// exchange file, the reader fills the state from it, the division run
// appends reply records, and the writer rewrites the file with them. This
// header gathers what the folder offers its callers; the file operations,
// the line source, the tokenizer and the page prefaulting are included by
// name where they are used.
#pragma once

#include "base/Threads.h"
#include "exchange/Entities.h"
#include "exchange/Loader.h"
#include "exchange/Records.h"
#include "exchange/SjisText.h"
#include "exchange/State.h"
#include "exchange/Writer.h"
