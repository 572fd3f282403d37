// KdxGaibu: everything one exchange with the host knows, and how it is read
// and answered. The host writes its selection and drawing settings into the
// exchange file, the reader fills the state from it, the division run
// appends reply records, and the writer rewrites the file with them.
#pragma once

#include "exchange/Entities.h"
#include "exchange/Records.h"
#include "exchange/State.h"
#include "exchange/Writer.h"
