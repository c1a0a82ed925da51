// The unwinder's side of WebAssembly exceptions, for the threaded module
// (linked in place of the one in Emscripten's threaded libunwind).
//
// The search ends by throwing, and with native WebAssembly exceptions each
// typed catch calls _Unwind_CallPersonality, which asks C++'s personality
// routine whether the handler matches, through a small record, the landing
// pad context: the compiled catch writes the pad's index and its exception
// table there and reads the answer back. The clang that Debian's
// Emscripten uses (14) addresses that record as a plain global, while the
// threaded libunwind that Emscripten builds for it declares it thread
// storage: the two then read and write different memory and no typed catch
// matches (the first search to end aborts). Here the record is a plain
// global, as the compiled code expects.
//
// Shared by every thread, the record is only read and written by threads
// that are inside a typed catch at the same moment. In the engine that is
// the helpers ending together, all in the same catch (helper_think) with
// the same exception type, so they write the same values and read the same
// answer; the main thread's catches run while no helper throws (helpers
// throw only once the main search has ended and stops them).
#include <unwind.h>

#include <cstdint>

extern "C" {

_Unwind_Reason_Code __gxx_personality_wasm0(int version, _Unwind_Action actions, uint64_t exception_class,
                                            _Unwind_Exception* exception, _Unwind_Context* context);

struct _Unwind_LandingPadContext {
    uintptr_t lpad_index;  // in: the landing pad's index
    uintptr_t lsda;        // in: the function's exception table
    uintptr_t selector;    // out: which handler matched
};

_Unwind_LandingPadContext __wasm_lpad_context;

// Called by the compiled typed catches: there is no two-phase unwinding in
// WebAssembly (the engine unwinds), so only the cleanup phase is asked.
_Unwind_Reason_Code _Unwind_CallPersonality(void* exception_pointer) {
    auto* exception = static_cast<_Unwind_Exception*>(exception_pointer);
    __wasm_lpad_context.selector = 0;
    return __gxx_personality_wasm0(1, _UA_CLEANUP_PHASE, exception->exception_class, exception,
                                   reinterpret_cast<_Unwind_Context*>(&__wasm_lpad_context));
}

// Called by __cxa_throw.
_Unwind_Reason_Code _Unwind_RaiseException(_Unwind_Exception* exception) { __builtin_wasm_throw(0, exception); }

// Called by __cxa_end_catch.
void _Unwind_DeleteException(_Unwind_Exception* exception) {
    if (exception->exception_cleanup) exception->exception_cleanup(_URC_FOREIGN_EXCEPTION_CAUGHT, exception);
}

// The personality routine's accessors: register 1 is the selector, the
// "instruction pointer" is the pad's index as a 1-based position after the
// routine subtracts 1, the language-specific data is the exception table.
void _Unwind_SetGR(_Unwind_Context* context, int index, _Unwind_Word value) {
    if (index == 1) reinterpret_cast<_Unwind_LandingPadContext*>(context)->selector = value;
}
_Unwind_Word _Unwind_GetIP(_Unwind_Context* context) {
    return reinterpret_cast<_Unwind_LandingPadContext*>(context)->lpad_index + 2;
}
void _Unwind_SetIP(_Unwind_Context*, _Unwind_Word) {}
void* _Unwind_GetLanguageSpecificData(_Unwind_Context* context) {
    return reinterpret_cast<void*>(reinterpret_cast<_Unwind_LandingPadContext*>(context)->lsda);
}
_Unwind_Ptr _Unwind_GetRegionStart(_Unwind_Context*) { return 0; }

}  // extern "C"
