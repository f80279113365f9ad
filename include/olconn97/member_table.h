/* How hostlib.h writes an interface: once, as a table of members.
 *
 * Each interface lists its members in slot order with one macro line:
 *
 *   M(kind, name, dispid, result, argument types...)
 *
 * kind is GET (a property read: no arguments, one result), PUT (a property
 * write: one argument), METHOD (no result) or FUNC (a result after the
 * arguments). The same table declares the vtable (below) and, inside the
 * driver, derives both the late binding by name and the forwarding of each
 * typed call to the implementation.
 *
 * The vtable method of a GET is get_<name>(result*), of a PUT put_<name>(arg),
 * of a METHOD <name>(args...), of a FUNC <name>(args..., result*); every
 * method returns an HRESULT. Arguments are in, except a pointer to an
 * interface pointer, which is in/out.
 */
#ifndef OLCONN97_MEMBER_TABLE_H_
#define OLCONN97_MEMBER_TABLE_H_

#define OLC_CAT_(a, b) OLC_CAT2_(a, b)
#define OLC_CAT2_(a, b) a##b

/* The number of arguments, 0 to 3. */
#define OLC_PICK4_(_1, _2, _3, N, ...) N
#define OLC_COUNT_(...) OLC_PICK4_(__VA_ARGS__ __VA_OPT__(, ) 3, 2, 1, 0)

/* "T0 p0, T1 p1, ..." */
#define OLC_PARAMS_(...) OLC_CAT_(OLC_PARAMS_, OLC_COUNT_(__VA_ARGS__))(__VA_ARGS__)
#define OLC_PARAMS_0()
#define OLC_PARAMS_1(a) a p0
#define OLC_PARAMS_2(a, b) a p0, b p1
#define OLC_PARAMS_3(a, b, c) a p0, b p1, c p2

/* The vtable method's name. */
#define OLC_VNAME_GET(name) get_##name
#define OLC_VNAME_PUT(name) put_##name
#define OLC_VNAME_METHOD(name) name
#define OLC_VNAME_FUNC(name) name

/* The vtable method's parameter list. */
#define OLC_SIG_GET(R, ...) (R * ret)
#define OLC_SIG_PUT(R, ...) (OLC_PARAMS_(__VA_ARGS__))
#define OLC_SIG_METHOD(R, ...) (OLC_PARAMS_(__VA_ARGS__))
#define OLC_SIG_FUNC(R, ...) (OLC_PARAMS_(__VA_ARGS__) __VA_OPT__(, ) R * ret)

/* One pure virtual slot. */
#define OLC_DECLARE_PURE_(kind, name, dispid, R, ...) \
  virtual HRESULT STDMETHODCALLTYPE OLC_VNAME_##kind(name) OLC_SIG_##kind(R, __VA_ARGS__) = 0;

#endif /* OLCONN97_MEMBER_TABLE_H_ */
