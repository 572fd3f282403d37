// How many threads the long parts of an exchange use (reading a large file,
// measuring and stepping along elliptical arcs): the machine's cores unless
// set. Every reply is the same whatever the number.
#pragma once

unsigned WorkerThreads();
void SetWorkerThreads(unsigned threads);  // 0: the machine's cores again
