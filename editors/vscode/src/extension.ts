// Starts tovel-lsp over stdio for every Tovel file. The server checks the
// whole text on each change and publishes diagnostics, and serves the
// editor features. Highlighting starts from the TextMate grammar; the
// server's semantic tokens then refine it, mapped by package.json to the
// very scopes the grammar gives, so colours do not change when they arrive.
import * as vscode from "vscode";
import {
  LanguageClient,
  LanguageClientOptions,
  ServerOptions,
  TransportKind,
} from "vscode-languageclient/node";

let client: LanguageClient | undefined;

// The program to run. Only the user's own settings may name it: a folder's
// settings could otherwise make opening a cloned repository run a program
// of the repository's choice. The setting has machine scope, so VS Code
// already ignores workspace values; reading the user value alone keeps that
// true whatever the editor does with scopes.
function serverCommand(): string {
  const setting = vscode.workspace.getConfiguration("tovel").inspect<string>("server.path");
  const configured = (setting?.globalValue ?? setting?.defaultValue ?? "tovel-lsp").trim();
  if (setting?.workspaceValue !== undefined || setting?.workspaceFolderValue !== undefined) {
    void vscode.window.showWarningMessage(
      "Tovel: this folder's settings name a language server program (tovel.server.path); " +
        "it is ignored. Only your user settings choose the program."
    );
  }
  return configured.length > 0 ? configured : "tovel-lsp";
}

async function startClient(): Promise<void> {
  const command = serverCommand();
  const serverOptions: ServerOptions = {
    run: { command, transport: TransportKind.stdio },
    debug: { command, transport: TransportKind.stdio },
  };
  const clientOptions: LanguageClientOptions = {
    documentSelector: [{ scheme: "file", language: "tovel" }, { scheme: "untitled", language: "tovel" }],
  };
  client = new LanguageClient("tovel", "Tovel language server", serverOptions, clientOptions);
  try {
    await client.start();
  } catch (error) {
    void vscode.window.showErrorMessage(
      `Tovel: could not start '${command}' (set tovel.server.path): ${String(error)}`
    );
  }
}

async function stopClient(): Promise<void> {
  const running = client;
  client = undefined;
  if (running !== undefined) {
    await running.stop().catch(() => undefined);
  }
}

// A restart reads the server path again, so a changed setting takes effect.
async function restartServer(): Promise<void> {
  await stopClient();
  await startClient();
}

export async function activate(context: vscode.ExtensionContext): Promise<void> {
  context.subscriptions.push(vscode.commands.registerCommand("tovel.restartServer", restartServer));
  context.subscriptions.push(
    vscode.workspace.onDidChangeConfiguration(async (event) => {
      if (!event.affectsConfiguration("tovel.server.path")) {
        return;
      }
      const choice = await vscode.window.showInformationMessage(
        "Tovel: the language server path changed.",
        "Restart Language Server"
      );
      if (choice !== undefined) {
        await restartServer();
      }
    })
  );
  await startClient();
}

export async function deactivate(): Promise<void> {
  await stopClient();
}
