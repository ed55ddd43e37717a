#include "serial/WorkerThread.h"

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

void WorkerThread::Prepare(const char* name) {
    ::pthread_setname_np(::pthread_self(), name);
    (void)::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), -10);
}
