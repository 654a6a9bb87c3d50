#include "lsp/server_loop.h"

#include "lsp/dispatch.h"
#include "lsp/json_holder.h"
#include "lsp/protocol.h"
#include "lsp/server_state.h"
#include "lsp/transport.h"

int run_server_on(FILE* in, FILE* out) {
    transport_use_streams(in, out);
    int status = run_server();
    transport_use_streams(stdin, stdout);
    return status;
}

int run_server() {
    ServerState state;
    server_state_init(&state);
    int exit_code = 0;
    for (;;) {
        JsonHolder message;
        {
            MessageBody body(read_message());
            if (!body) {
                break;
            }
            message.reset(cJSON_Parse(body.get()));
        }
        if (!message) {
            send_parse_error();
            continue;
        }
        if (dispatch_message(&state, message.get(), &exit_code) == 0) {
            break;
        }
    }
    server_state_destroy(&state);
    return exit_code;
}
