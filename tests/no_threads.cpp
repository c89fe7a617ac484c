// Preloaded into a process to stand for a system that will not start another thread (its process limit
// reached): every pthread_create fails as the system then fails it.
#include <cerrno>
#include <pthread.h>

extern "C" int pthread_create(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*) {
    return EAGAIN;
}
