// The tables' row forms in terms of YRL_HOST_ROW (see host_api_rows.h). No include
// guard: the list of tables includes it again before every table.
#define YRL_API(kind, result, name, key, params, args) \
  YRL_HOST_ROW(plain, kind, result, name, key, params, args)
#define YRL_API_NO_CONTEXT(kind, result, name, key, params, args) \
  YRL_HOST_ROW(no_context, kind, result, name, key, params, args)
// The directory's parameter is not called dir: it would replace the form's name below.
#define YRL_API_DIR(kind, result, name, key, params, args, text_dir) \
  YRL_HOST_ROW(dir, kind, result, name, key, params, args)
